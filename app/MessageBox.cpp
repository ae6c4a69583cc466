#include "app/MessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace {
TMessageBoxHandler& Handler() {
  static TMessageBoxHandler h;
  return h;
}
}  // namespace

void ShowMessage(const std::string& text) {
  if (Handler()) {
    Handler()(text);
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(),
                  QString::fromStdString(text), QMessageBox::Ok, QApplication::activeWindow());
  box.exec();
}

TMessageBoxHandler SetMessageBoxHandler(TMessageBoxHandler handler) {
  TMessageBoxHandler old = std::move(Handler());
  Handler() = std::move(handler);
  return old;
}
