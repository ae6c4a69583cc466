#include "chart/edits/RtNumericEdit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMetaProperty>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <climits>

// ---------------------------------------------------------------------------------------------
// Shared helpers

namespace rt_edit_detail {

QString Hashes() {
  return QString(kHashCount, QLatin1Char('#'));
}

bool TextToInteger(const QString& s, int& value) {
  qsizetype i = 0;
  const qsizetype n = s.size();
  while (i < n && s[i] == QLatin1Char(' ')) ++i;
  bool negative = false;
  if (i < n && (s[i] == QLatin1Char('-') || s[i] == QLatin1Char('+'))) {
    negative = s[i] == QLatin1Char('-');
    ++i;
  }
  if (i == n) return false;
  long long magnitude = 0;
  for (; i < n; ++i) {
    const char16_t c = s[i].unicode();
    if (c < u'0' || c > u'9') return false;
    magnitude = magnitude * 10 + (c - u'0');
    if (magnitude > static_cast<long long>(INT_MAX) + 1) return false;
  }
  if (!negative && magnitude > INT_MAX) return false;
  value = static_cast<int>(negative ? -magnitude : magnitude);
  return true;
}

int TextWidth(const QLineEdit* edit, const QString& text) {
  return QFontMetrics(edit->font()).horizontalAdvance(text);
}

}  // namespace rt_edit_detail

namespace {

// Start of the selection, else the caret.
int CaretPosition(const QLineEdit* edit) {
  return edit->hasSelectedText() ? int(edit->selectionStart()) : edit->cursorPosition();
}

// Character codes of the keystroke filter: Ctrl+letter as its control code, Backspace 8,
// Enter 13, Escape 27, else the typed character; nothing for keys that type no character.
std::optional<char32_t> CharacterOf(const QKeyEvent* e) {
  const int key = e->key();
  const Qt::KeyboardModifiers mods = e->modifiers();
  if ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier) && key >= Qt::Key_A &&
      key <= Qt::Key_Z) {
    return char32_t(key - Qt::Key_A + 1);
  }
  if (key == Qt::Key_Backspace) return char32_t(8);
  if (key == Qt::Key_Return || key == Qt::Key_Enter) return char32_t(13);
  if (key == Qt::Key_Escape) return char32_t(27);
  if (key == Qt::Key_Delete) return std::nullopt;
  const QList<uint> text = e->text().toUcs4();
  if (text.isEmpty()) return std::nullopt;
  const char32_t c = text.front();
  if (c < 0x20 || c == 0x7F) return std::nullopt;
  return c;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Property links

TRtPropertyLinks::TRtPropertyLinks(QObject* managed, const char* managedProperty)
    : QObject(managed), fManaged(managed), fManagedProperty(managedProperty) {}

void TRtPropertyLinks::SetItems(const QStringList& items) {
  fItems = items;
  fTargets.clear();
  fModified = true;
  if (fItems.isEmpty()) {
    delete fPoll;
    fPoll = nullptr;
    return;
  }
  if (fPoll == nullptr) {
    fPoll = new QTimer(this);
    fPoll->setInterval(250);
    connect(fPoll, &QTimer::timeout, this, &TRtPropertyLinks::Poll);
    fPoll->start();
  }
}

namespace {

QObject* ChildNamed(QObject* parent, const QString& name) {
  const QList<QObject*> all = parent->findChildren<QObject*>();
  for (QObject* o : all) {
    if (o->objectName().compare(name, Qt::CaseInsensitive) == 0) return o;
  }
  return nullptr;
}

int PropertyNamed(const QObject* o, const QString& name) {
  const QMetaObject* mo = o->metaObject();
  for (int k = 0; k < mo->propertyCount(); ++k) {
    if (name.compare(QLatin1String(mo->property(k).name()), Qt::CaseInsensitive) == 0) return k;
  }
  return -1;
}

}  // namespace

std::optional<TRtPropertyLinks::TTarget> TRtPropertyLinks::ResolvePath(const QString& path) const {
  const QStringList parts = path.trimmed().split(QLatin1Char('.'));
  if (parts.size() < 2) return std::nullopt;
  QObject* current = nullptr;
  const QWidgetList windows = QApplication::topLevelWidgets();
  for (QWidget* w : windows) {
    if (w->objectName().compare(parts[0], Qt::CaseInsensitive) == 0) {
      current = w;
      break;
    }
  }
  for (qsizetype k = 1; current != nullptr && k < parts.size(); ++k) {
    const bool last = k == parts.size() - 1;
    if (QObject* child = ChildNamed(current, parts[k])) {
      if (last) return std::nullopt;
      current = child;
      continue;
    }
    const int index = PropertyNamed(current, parts[k]);
    if (index < 0) return std::nullopt;
    const QMetaProperty p = current->metaObject()->property(index);
    if (!last) {
      if (!(p.metaType().flags() & QMetaType::PointerToQObject)) return std::nullopt;
      current = p.read(current).value<QObject*>();
      continue;
    }
    if (current == fManaged && fManagedProperty == p.name()) return std::nullopt;
    return TTarget{current, QByteArray(p.name())};
  }
  return std::nullopt;
}

void TRtPropertyLinks::Resolve() {
  fTargets.clear();
  for (const QString& path : fItems) {
    if (auto t = ResolvePath(path)) fTargets.push_back(*t);
  }
  fModified = false;
}

void TRtPropertyLinks::SetLink(const QVariant& value) {
  if (fBusy || fItems.isEmpty()) return;
  if (fModified) Resolve();
  fBusy = true;
  for (const TTarget& t : fTargets) {
    if (t.Object) t.Object->setProperty(t.Property.constData(), value);
  }
  fBusy = false;
}

void TRtPropertyLinks::CheckLink() {
  if (fItems.isEmpty()) return;
  if (fModified) Resolve();
  if (fTargets.empty() || !fTargets.front().Object) return;
  const QVariant v = fTargets.front().Object->property(fTargets.front().Property.constData());
  if (v.isValid()) fManaged->setProperty(fManagedProperty.constData(), v);
}

void TRtPropertyLinks::Poll() {
  if (fBusy) return;
  if (fModified) Resolve();
  if (fTargets.empty() || !fTargets.front().Object) return;
  QVariant target = fTargets.front().Object->property(fTargets.front().Property.constData());
  const QVariant own = fManaged->property(fManagedProperty.constData());
  if (!target.isValid() || !own.isValid()) return;
  if (target.metaType() != own.metaType() && !target.convert(own.metaType())) return;
  if (target != own) {
    Modified();
    CheckLink();
  }
}

// ---------------------------------------------------------------------------------------------
// TRtNumericEdit

TRtNumericEdit::TRtNumericEdit(QWidget* parent)
    : QLineEdit(parent), FLink(new TRtPropertyLinks(this, "Value")) {
  FSetting = true;
  setText(QStringLiteral("0"));
  FSetting = false;
  FLastValid = QStringLiteral("0");
  connect(this, &QLineEdit::textChanged, this, [this] { Change(); });
}

void TRtNumericEdit::Loaded() {
  FLink->Modified();
  FLink->CheckLink();
}

int TRtNumericEdit::ClientWidth() const {
  // QLineEdit keeps 2 pixels free on either side of its text.
  constexpr int kInnerMargin = 2;
  QStyleOptionFrame option;
  initStyleOption(&option);
  QRect r = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
  r = r.marginsRemoved(textMargins());
  return std::max(0, r.width() - 2 * kInnerMargin);
}

void TRtNumericEdit::DoBeep() {
  QApplication::beep();
  Q_EMIT Beeped();
}

void TRtNumericEdit::NotifyValueChanged() {
  Q_EMIT OnValueChanged(this);
  FLink->SetLink(LinkValue());
}

void TRtNumericEdit::Change() {
  if (FSetting) return;
  const QString t = text();
  if (!TakeTypedText(t)) return;
  FLastValid = t;
  NotifyValueChanged();
}

void TRtNumericEdit::keyPressEvent(QKeyEvent* e) {
  const std::optional<char32_t> c = CharacterOf(e);
  if (!c) {
    QLineEdit::keyPressEvent(e);
    return;
  }
  bool accepted = false;
  switch (*c) {
    case 1:
    case 3:
    case 8:
    case 22:
    case 24:
    case 26:
      accepted = true;
      break;
    case 13:
      ValidateText();
      Q_EMIT OnDblClick(this);
      break;
    default:
      accepted = KeyAccepted(*c);
      break;
  }
  if (accepted) {
    FLastCursorPos = CaretPosition(this);
    QLineEdit::keyPressEvent(e);
  } else {
    e->accept();
    DoBeep();
  }
}

void TRtNumericEdit::focusInEvent(QFocusEvent* e) {
  if (e->reason() == Qt::PopupFocusReason) {
    QLineEdit::focusInEvent(e);
    return;
  }
  fFocused = true;
  setText(FLastValid);
  setCursorPosition(FLastCursorPos);
  if (FLastSelLength > 0) setSelection(cursorPosition(), FLastSelLength);
  if (FNeedSelectAll) {
    selectAll();
    FNeedSelectAll = false;
  }
  QLineEdit::focusInEvent(e);
  Q_EMIT OnEnter(this);
}

void TRtNumericEdit::focusOutEvent(QFocusEvent* e) {
  if (e->reason() == Qt::PopupFocusReason) {
    QLineEdit::focusOutEvent(e);
    return;
  }
  fFocused = false;
  FLastCursorPos = CaretPosition(this);
  FLastSelLength = int(selectedText().size());
  ValidateText();
  UpdateDisplay();
  setCursorPosition(0);
  QLineEdit::focusOutEvent(e);
  Q_EMIT OnExit(this);
}

void TRtNumericEdit::resizeEvent(QResizeEvent* e) {
  QLineEdit::resizeEvent(e);
  if (parentWidget() != nullptr && (!fFocused || UpdateOnResizeWhenFocused())) UpdateDisplay();
}

void TRtNumericEdit::mouseDoubleClickEvent(QMouseEvent* e) {
  QLineEdit::mouseDoubleClickEvent(e);
  Q_EMIT OnDblClick(this);
}
