// Numeric edit for an Integer on a single-line text input: keystroke filter, limits applied at
// Enter and focus exit, and a row of hash signs when the number does not fit while unfocused.
// Also the property links both numeric edits carry, and helpers they share.
#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>
#include <vector>

class QKeyEvent;
class QStyleOptionFrame;
class QTimer;

// Textual paths "Form.Component[.Component...].Property" to properties that follow the value
// of the edit that owns the list (its property "Value"). The first segment names a top-level
// window by object name, each further one a descendant object or a property (a property that
// holds an object continues into it). Names match without regard to case; a path that does not
// resolve is inert.
class TRtPropertyLinks : public QObject {
  Q_OBJECT
  Q_PROPERTY(QStringList Items READ Items WRITE SetItems)

 public:
  // managed: the object whose property managedProperty the links follow; also the parent.
  TRtPropertyLinks(QObject* managed, const char* managedProperty);

  QStringList Items() const { return fItems; }
  void SetItems(const QStringList& items);

  // Writes value into every resolved target property.
  void SetLink(const QVariant& value);
  // Marks the paths for resolution at the next CheckLink.
  void Modified() { fModified = true; }
  // Resolves the paths when marked, then copies the first target's value into the managed
  // property.
  void CheckLink();
  // Number of paths that resolved at the last resolution.
  int ResolvedCount() const { return int(fTargets.size()); }

 private:
  struct TTarget {
    QPointer<QObject> Object;
    QByteArray Property;
  };
  void Resolve();
  std::optional<TTarget> ResolvePath(const QString& path) const;
  // Idle check: the first target changed behind our back.
  void Poll();

  QObject* fManaged;
  QByteArray fManagedProperty;
  QStringList fItems;
  std::vector<TTarget> fTargets;
  bool fModified = true;
  bool fBusy = false;
  QTimer* fPoll = nullptr;
};

namespace rt_edit_detail {

inline constexpr int kHashCount = 45;
QString Hashes();

// Optional leading blanks, optional sign, decimal digits, 32-bit range.
bool TextToInteger(const QString& s, int& value);

// Width of the area the line edit draws its text into.
int ClientWidth(const QLineEdit* edit, const QStyleOptionFrame& option);
int TextWidth(const QLineEdit* edit, const QString& text);

// Start of the selection, else the caret.
int CaretPosition(const QLineEdit* edit);

void Beep();

// Character codes of the keystroke filter: Ctrl+letter as its control code, Backspace 8,
// Enter 13, Escape 27, else the typed character; nothing for keys that type no character.
std::optional<char32_t> CharacterOf(const QKeyEvent* e);

}  // namespace rt_edit_detail

class TRtIntegerEdit : public QLineEdit {
  Q_OBJECT
  Q_PROPERTY(int MinValue READ MinValue WRITE SetMinValue)
  Q_PROPERTY(int MaxValue READ MaxValue WRITE SetMaxValue)
  Q_PROPERTY(int Value READ Value WRITE SetValue)
  Q_PROPERTY(TRtPropertyLinks* PropertyLinks READ PropertyLinks)

 public:
  explicit TRtIntegerEdit(QWidget* parent = nullptr);

  int MinValue() const { return FMinValue; }
  void SetMinValue(int v);
  int MaxValue() const { return FMaxValue; }
  void SetMaxValue(int v);
  int Value() const { return FValue; }
  // Clamps v, shows it, and always fires OnValueChanged.
  void SetValue(int v);
  TRtPropertyLinks* PropertyLinks() const { return FLink; }

  // The width a shown text may take: the client width.
  virtual int AvailableTextWidth() const;
  int ClampValue(int v) const;
  // Takes the typed text as the value, snapped to the limits (Enter and focus exit).
  void ValidateText();
  // Rewrites the text from Value; 45 hash signs when unfocused and too wide.
  void UpdateDisplay();
  // Resolves the property links once the properties are set.
  void Loaded();

  // The full text of the last accepted value.
  const QString& LastValid() const { return FLastValid; }
  bool Focused() const { return fFocused; }

 Q_SIGNALS:
  // After every accepted value.
  void OnValueChanged(QObject* Sender);
  // On a double click, and when Enter is pressed (after validation).
  void OnDblClick(QObject* Sender);
  void OnEnter(QObject* Sender);
  void OnExit(QObject* Sender);
  // Each time the control beeps (refused key, value snapped to a limit).
  void Beeped();

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;

 private:
  void Change();
  bool HasLimits() const { return FMinValue < FMaxValue; }
  void DoBeep();

  int FMinValue = 0;
  int FMaxValue = 0;
  int FValue = 0;
  int FLastCursorPos = 0;
  int FLastSelLength = 0;
  bool FSetting = false;
  bool FNeedSelectAll = false;
  bool fFocused = false;
  QString FLastValid;
  TRtPropertyLinks* FLink;
};
