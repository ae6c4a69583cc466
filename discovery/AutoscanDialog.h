// The progress window of the instrument search: a non-modal dialog showing the progress text
// line by line while the search runs on the main thread; closing is offered only at the end.
#pragma once

#include <QDialog>
#include <QPointer>

#include "discovery/Autoscan.h"

class QPlainTextEdit;
class QPushButton;

class TAutoScanDialog : public QDialog, public TAutoScanView {
  Q_OBJECT

 public:
  static constexpr const char* kCaption =
      "Searching for instruments & devices attached to computer";

  // centreOn: the main window the dialog is centred on (not its Qt parent); none: the screen.
  explicit TAutoScanDialog(QWidget* centreOn = nullptr);
  ~TAutoScanDialog() override;

  void LineAdded(const std::string& line) override;
  void LastLineReplaced(const std::string& line) override;
  void SearchStarted() override;
  void SearchFinished() override;
  void ProcessEvents() override;

  // Closing is offered (the search is over, or has not begun).
  bool CanClose() const { return !fRunning; }
  QPlainTextEdit* TextBox() const { return fMemo; }
  QPushButton* CloseButton() const { return fClose; }

  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Insert(const std::string& line, bool replaceLast);
  void SetClosable(bool closable);

  QPointer<QWidget> fCentreOn;
  QPlainTextEdit* fMemo = nullptr;
  QPushButton* fClose = nullptr;
  bool fRunning = false;
  int fLines = 0;           // progress lines shown
  int fLastLineBlocks = 0;  // text blocks the last of them takes (it may hold line breaks)
};
