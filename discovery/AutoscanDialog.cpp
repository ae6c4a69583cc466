#include "discovery/AutoscanDialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

namespace {

constexpr Qt::WindowFlags kRunningFlags =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
constexpr Qt::WindowFlags kClosableFlags =
    Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

// Line breaks inside a progress line (a controller's version reply ends in CR LF) show as
// breaks, as in any multi-line text box.
QString Displayed(const std::string& line) {
  QString s = QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size()));
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return s;
}

}  // namespace

TAutoScanDialog::TAutoScanDialog(QWidget* centreOn) : QDialog(nullptr), fCentreOn(centreOn) {
  setWindowTitle(QString::fromLatin1(kCaption));
  setModal(false);
  setWindowFlags(kClosableFlags);

  fMemo = new QPlainTextEdit(this);
  fMemo->setReadOnly(true);
  fMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  fMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
  QPalette p = fMemo->palette();
  p.setColor(QPalette::Base, Qt::black);
  p.setColor(QPalette::Text, QColor(0xC0, 0xC0, 0xC0));
  fMemo->setPalette(p);
  QFont font(QStringLiteral("Lucida Console"));
  font.setStyleHint(QFont::Monospace);
  fMemo->setFont(font);

  fClose = new QPushButton(QStringLiteral("Close"), this);
  connect(fClose, &QPushButton::clicked, this, &QDialog::close);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(fMemo, 1);
  layout->addWidget(fClose, 0, Qt::AlignRight);

  QScreen* screen = fCentreOn ? fCentreOn->screen() : QGuiApplication::primaryScreen();
  if (screen) {
    const QRect area = screen->geometry();
    resize(area.width() * 3 / 4, area.height() * 3 / 4);
    const QRect around = fCentreOn ? fCentreOn->frameGeometry() : area;
    move(around.center() - rect().center());
  }
}

TAutoScanDialog::~TAutoScanDialog() = default;

void TAutoScanDialog::Insert(const std::string& line, bool replaceLast) {
  const QString text = Displayed(line);
  QTextDocument* doc = fMemo->document();
  QTextCursor c(doc);
  if (replaceLast && fLines > 0) {
    QTextBlock first = doc->lastBlock();
    for (int i = 1; i < fLastLineBlocks; ++i) first = first.previous();
    c.setPosition(first.position());
    c.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    c.insertText(text);
  } else {
    c.movePosition(QTextCursor::End);
    if (fLines > 0) c.insertBlock();
    c.insertText(text);
    ++fLines;
  }
  fLastLineBlocks = static_cast<int>(text.count(QLatin1Char('\n'))) + 1;
  fMemo->verticalScrollBar()->setValue(fMemo->verticalScrollBar()->maximum());
}

void TAutoScanDialog::LineAdded(const std::string& line) {
  Insert(line, false);
}

void TAutoScanDialog::LastLineReplaced(const std::string& line) {
  Insert(line, true);
}

void TAutoScanDialog::SetClosable(bool closable) {
  const bool visible = isVisible();
  setWindowFlags(closable ? kClosableFlags : kRunningFlags);
  fClose->setEnabled(closable);
  if (visible) show();  // changing the flags hides a window
}

void TAutoScanDialog::SearchStarted() {
  fRunning = true;
  SetClosable(false);
  show();
  raise();
}

void TAutoScanDialog::SearchFinished() {
  fRunning = false;
  SetClosable(true);
}

void TAutoScanDialog::ProcessEvents() {
  QCoreApplication::processEvents();
}

void TAutoScanDialog::reject() {
  if (fRunning) return;  // Escape and the window's close are refused while searching
  QDialog::reject();
}

void TAutoScanDialog::closeEvent(QCloseEvent* event) {
  if (fRunning) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}
