// Small chart-like objects for the undo tests: published properties whose setters record on an
// undo stack before they change, as the chart objects do, and have side effects.
#pragma once

#include <QList>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <string>
#include <vector>

#include "chart/io/RtComponentStream.h"
#include "chart/io/RtPaths.h"
#include "chart/undo/RtUndoStack.h"
#include "chart/undo/RtUndoStore.h"

enum class TTestStyle { Solid, Dash, Dot };

class TTestItem : public QObject, public IRtStreamedProperties {
  Q_OBJECT
  Q_PROPERTY(double Value READ Value WRITE SetValue)
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
  Q_PROPERTY(bool Shown READ Shown WRITE SetShown)
  Q_PROPERTY(TTestStyle Style READ Style WRITE SetStyle)
  Q_PROPERTY(TTestItem* Partner READ Partner WRITE SetPartner)
  Q_PROPERTY(QStringList Lines READ Lines WRITE SetLines)
  Q_PROPERTY(QList<int> Marks READ Marks WRITE SetMarks)
  Q_PROPERTY(qint64 Big READ Big WRITE SetBig)
  Q_PROPERTY(uint Color READ Color WRITE SetColor)
  Q_PROPERTY(QPointF Anchor READ Anchor WRITE SetAnchor)
  Q_PROPERTY(QList<QList<int>> Grid READ Grid WRITE SetGrid)
  Q_PROPERTY(double Derived READ Derived)

 public:
  Q_ENUM(TTestStyle)

  explicit TTestItem(QObject* Owner = nullptr) : QObject(Owner) {}

  // Setters record the old value first, and only for a real change.
  double Value() const { return fValue; }
  void SetValue(double v) {
    if (v == fValue) return;
    Record("Item value", "Value");
    if (OnSetValue) OnSetValue();
    fValue = v;
    fDerived = 2 * v;
    Log.push_back("Value:=" + std::to_string(v));
  }
  QString Caption() const { return fCaption; }
  void SetCaption(const QString& v) {
    if (v == fCaption) return;
    Record("Item caption", "Caption");
    fCaption = v;
    Log.push_back("Caption:=" + v.toStdString());
  }
  bool Shown() const { return fShown; }
  void SetShown(bool v) { Change(fShown, v, "Item shown", "Shown"); }
  TTestStyle Style() const { return fStyle; }
  void SetStyle(TTestStyle v) { Change(fStyle, v, "Item style", "Style"); }
  TTestItem* Partner() const { return fPartner; }
  void SetPartner(TTestItem* v) {
    if (v == fPartner) return;
    Record("Item partner", "Partner");
    fPartner = v;
  }
  QStringList Lines() const { return fLines; }
  void SetLines(const QStringList& v) { Change(fLines, v, "Item lines", "Lines"); }
  QList<int> Marks() const { return fMarks; }
  void SetMarks(const QList<int>& v) { Change(fMarks, v, "Item marks", "Marks"); }
  qint64 Big() const { return fBig; }
  void SetBig(qint64 v) { Change(fBig, v, "Item big", "Big"); }
  uint Color() const { return fColor; }
  void SetColor(uint v) { Change(fColor, v, "Item colour", "Color"); }
  QPointF Anchor() const { return fAnchor; }
  void SetAnchor(QPointF v) { Change(fAnchor, v, "Item anchor", "Anchor"); }
  QList<QList<int>> Grid() const { return fGrid; }
  void SetGrid(const QList<QList<int>>& v) { fGrid = v; }
  double Derived() const { return fDerived; }

  // "Layer": not published, streamed, with a side effect.
  int Layer() const { return fLayer; }
  void SetLayer(int v) {
    if (v == fLayer) return;
    Record("Item drawing order", "Layer");
    fLayer = v;
    ++LayerChanges;
  }
  QStringList StreamedPropertyNames() const override { return {QStringLiteral("Layer")}; }
  QVariant StreamedProperty(const QString& Name) const override {
    return Name == QLatin1String("Layer") ? QVariant(fLayer) : QVariant();
  }
  bool SetStreamedProperty(const QString& Name, const QVariant& v) override {
    if (Name != QLatin1String("Layer")) return false;
    SetLayer(v.toInt());
    return true;
  }

  QPointer<TRtUndoStack> Undo;
  std::function<void()> OnSetValue;
  std::vector<std::string> Log;
  int LayerChanges = 0;

 private:
  template <typename T>
  void Change(T& Field, const T& v, const char* Comment, const char* Name) {
    if (v == Field) return;
    Record(Comment, Name);
    Field = v;
  }
  void Record(const char* Comment, const char* Name) {
    if (Undo && Undo->Recording()) Undo->PushProperty(this, QString::fromLatin1(Comment), Name);
  }

  double fValue = 0;
  double fDerived = 0;
  QString fCaption;
  bool fShown = true;
  TTestStyle fStyle = TTestStyle::Solid;
  QPointer<TTestItem> fPartner;
  QStringList fLines;
  QList<int> fMarks;
  qint64 fBig = 0;
  uint fColor = 0;
  QPointF fAnchor;
  QList<QList<int>> fGrid;
  int fLayer = 0;
};

// An edit-like object: text and a published selection, set through setSelection.
class TTestEdit : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString text READ text WRITE setText)
  Q_PROPERTY(int selectionStart READ selectionStart)
  Q_PROPERTY(int selectionLength READ selectionLength)

 public:
  explicit TTestEdit(QObject* Owner = nullptr) : QObject(Owner) {}
  QString text() const { return fText; }
  void setText(const QString& t) {
    fText = t;
    fStart = fLength = 0;
  }
  int selectionStart() const { return fStart; }
  int selectionLength() const { return fLength; }
  Q_INVOKABLE void setSelection(int Start, int Length) {
    fStart = Start;
    fLength = Length;
  }

 private:
  QString fText;
  int fStart = 0;
  int fLength = 0;
};

// A form: a registered root that frees its components.
class TTestForm : public QObject {
  Q_OBJECT

 public:
  explicit TTestForm(const QString& Name) {
    setObjectName(Name);
    RtRegisterForm(this);
  }
  ~TTestForm() override { RtUnregisterRoot(this); }
};

// The stack's histories as they are stored.
struct TRtUndoStackProbe {
  static TRtUndoStore& Undo(TRtUndoStack& s) { return *s.FUndoStream; }
  static TRtUndoStore& Redo(TRtUndoStack& s) { return *s.FRedoStream; }
  // The temporary files: undo, redo, scratch.
  static QStringList FileNames(TRtUndoStack& s) {
    const auto name = [](TRtUndoStore* store) {
      return static_cast<TRtFileUndoStore*>(store)->FileName();
    };
    return {name(s.FUndoStream.get()), name(s.FRedoStream.get()), name(s.FScratch.get())};
  }
};
