#include "chart/io/RtClassRegistry.h"

#include <map>
#include <string>

namespace {

std::map<std::string, TRtComponentFactory>& Factories() {
  static std::map<std::string, TRtComponentFactory> factories;
  return factories;
}

}  // namespace

void RtRegisterClass(const char* ClassName, TRtComponentFactory Factory) {
  if (ClassName && Factory) Factories()[ClassName] = Factory;
}

bool RtClassRegistered(const QString& ClassName) {
  return Factories().count(ClassName.toStdString()) != 0;
}

QObject* RtCreateComponent(const QString& ClassName, QObject* Owner, const QString& Name) {
  const auto it = Factories().find(ClassName.toStdString());
  if (it == Factories().end()) return nullptr;
  QObject* o = it->second(Owner);
  o->setObjectName(Name);
  return o;
}
