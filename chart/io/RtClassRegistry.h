// Constructors by class name, for the objects a reader creates ("TRtLineSeries",
// "TRtDoubleVector"). A class registers itself once, in its own source file:
//
//   RT_REGISTER_CLASS(TRtPointSeries)
//
// which works for every QObject class with a constructor taking the owner.
#pragma once

#include <QObject>
#include <QString>

using TRtComponentFactory = QObject* (*)(QObject* Owner);

void RtRegisterClass(const char* ClassName, TRtComponentFactory Factory);

template <typename T>
void RtRegisterClass() {
  RtRegisterClass(T::staticMetaObject.className(),
                  [](QObject* Owner) -> QObject* { return new T(Owner); });
}

bool RtClassRegistered(const QString& ClassName);
// A new object of that class owned by Owner and named Name, or null for an unknown class.
QObject* RtCreateComponent(const QString& ClassName, QObject* Owner, const QString& Name);

#define RT_REGISTER_CLASS(T)                               \
  namespace {                                              \
  [[maybe_unused]] const bool rtClassRegistered_##T = [] { \
    RtRegisterClass<T>();                                  \
    return true;                                           \
  }();                                                     \
  }
