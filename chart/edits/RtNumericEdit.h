// Common ground of the numeric edits on a single-line text input: the property links they
// carry, helpers they share, and the base that keeps the caret and selection across focus
// changes, filters keystrokes and applies the typed text at Enter and focus exit.
#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>
#include <vector>

class QKeyEvent;
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

int TextWidth(const QLineEdit* edit, const QString& text);

}  // namespace rt_edit_detail

// Base of the numeric edits. A derived edit holds the value and its limits and supplies the
// conversions through the hooks below.
class TRtNumericEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit TRtNumericEdit(QWidget* parent = nullptr);

  TRtPropertyLinks* PropertyLinks() const { return FLink; }

  // The width a shown text may take.
  virtual int AvailableTextWidth() const = 0;
  // Takes the typed text as the value, snapped to the limits (Enter and focus exit).
  virtual void ValidateText() = 0;
  // Rewrites the text from the value for the unfocused control.
  virtual void UpdateDisplay() = 0;
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
  // A typed character other than Enter and the editing keys (Ctrl+A/C/V/X/Z, Backspace).
  virtual bool KeyAccepted(char32_t c) const = 0;
  // Converts a typed text; when it is a value within the limits, stores it and returns true.
  virtual bool TakeTypedText(const QString& s) = 0;
  // The value as the property links receive it.
  virtual QVariant LinkValue() const = 0;
  // Whether a resize rewrites the text also while the control has the focus.
  virtual bool UpdateOnResizeWhenFocused() const { return false; }

  // Width of the area the line edit draws its text into.
  int ClientWidth() const;
  void DoBeep();
  // Fires OnValueChanged and passes the value to the property links.
  void NotifyValueChanged();

  void keyPressEvent(QKeyEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;

  int FLastCursorPos = 0;
  int FLastSelLength = 0;
  bool FSetting = false;
  bool FNeedSelectAll = false;
  bool fFocused = false;
  QString FLastValid;
  TRtPropertyLinks* FLink;

 private:
  void Change();
};
