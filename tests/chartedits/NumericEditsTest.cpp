#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "chart/edits/RtFloatEdit.h"
#include "chart/edits/RtIntegerEdit.h"
#include "platform/FormatSettings.h"
#include "tests/support/ScopedFormatSettings.h"

namespace {

const QString kHashes(45, QLatin1Char('#'));

TFormatSettings DotSettings() {
  TFormatSettings fs;
  fs.DecimalSeparator = ".";
  fs.ThousandSeparator = ",";
  fs.DateSeparator = "/";
  fs.TimeSeparator = ":";
  fs.ShortDateFormat = "dd/mm/yyyy";
  fs.LongTimeFormat = "hh:nn:ss";
  return fs;
}

TFormatSettings CommaSettings() {
  TFormatSettings fs = DotSettings();
  fs.DecimalSeparator = ",";
  fs.ThousandSeparator = ".";
  return fs;
}

void Key(QWidget* w, int key, const QString& text, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QKeyEvent press(QEvent::KeyPress, key, mods, text);
  QApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, key, mods, text);
  QApplication::sendEvent(w, &release);
}

void Type(QWidget* w, const QString& text) {
  for (QChar c : text) {
    const char16_t u = c.toUpper().unicode();
    const int key = (u >= u' ' && u < 0x7F) ? int(u) : int(Qt::Key_unknown);
    Key(w, key, QString(c));
  }
}

void Enter(QWidget* w) {
  Key(w, Qt::Key_Return, QStringLiteral("\r"));
}

// Records the signals of one edit in the order they come.
template <typename Edit>
struct Recorder {
  explicit Recorder(Edit* e) {
    // Connected through ctx, so nothing is recorded once the recorder is gone.
    QObject::connect(e, &Edit::OnValueChanged, &ctx,
                     [this](QObject*) { events.push_back("changed"); });
    QObject::connect(e, &Edit::OnDblClick, &ctx,
                     [this](QObject*) { events.push_back("dblclick"); });
    QObject::connect(e, &Edit::Beeped, &ctx, [this] { events.push_back("beep"); });
    QObject::connect(e, &Edit::OnExit, &ctx, [this](QObject*) { events.push_back("exit"); });
  }
  int Count(const std::string& what) const {
    return int(std::count(events.begin(), events.end(), what));
  }
  void Clear() { events.clear(); }
  QObject ctx;
  std::vector<std::string> events;
};

using Events = std::vector<std::string>;

// A window with the edit under test and a second control to move the focus to.
class EditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetFormatSettings(DotSettings());
    window_ = std::make_unique<QWidget>();
    window_->setObjectName(QStringLiteral("FormTest"));
    auto* layout = new QVBoxLayout(window_.get());
    other_ = new QLineEdit(window_.get());
    layout->addWidget(other_);
    window_->resize(300, 200);
    window_->show();
    window_->activateWindow();
    QElapsedTimer t;
    t.start();
    while (!window_->isActiveWindow() && t.elapsed() < 2000) QApplication::processEvents();
  }
  void TearDown() override { window_.reset(); }

  template <typename Edit>
  Edit* Make(int width = 150) {
    auto* e = new Edit(window_.get());
    window_->layout()->addWidget(e);
    e->setFixedWidth(width);
    QApplication::processEvents();
    return e;
  }

  // Real focus when the window is active, else the focus events by hand.
  template <typename Edit>
  void FocusIn(Edit* e, Qt::FocusReason reason = Qt::MouseFocusReason) {
    e->setFocus(reason);
    QApplication::processEvents();
    if (!e->Focused()) {
      QFocusEvent in(QEvent::FocusIn, reason);
      QApplication::sendEvent(e, &in);
    }
    ASSERT_TRUE(e->Focused());
  }
  template <typename Edit>
  void FocusOut(Edit* e) {
    other_->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    if (e->Focused()) {
      QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
      QApplication::sendEvent(e, &out);
    }
    ASSERT_FALSE(e->Focused());
  }
  template <typename Edit>
  void ReplaceText(Edit* e, const QString& typed) {
    e->selectAll();
    Type(e, typed);
  }

  ScopedFormatSettings saved_;  // restores the settings after each test
  std::unique_ptr<QWidget> window_;
  QLineEdit* other_ = nullptr;
};

}  // namespace

// ---- Integer edit

TEST_F(EditTest, IntegerKeyFilter) {
  auto* e = Make<TRtIntegerEdit>();
  EXPECT_EQ(e->text(), "0");
  EXPECT_EQ(e->Value(), 0);
  Recorder<TRtIntegerEdit> r(e);
  FocusIn(e);
  ReplaceText(e, QStringLiteral("12a+.e 3/:"));
  EXPECT_EQ(e->text(), "123");
  EXPECT_EQ(e->Value(), 123);
  EXPECT_EQ(r.Count("beep"), 7);
  EXPECT_EQ(r.Count("changed"), 3);
  Type(e, QStringLiteral("-"));  // accepted anywhere; the text no longer converts
  EXPECT_EQ(e->text(), "123-");
  EXPECT_EQ(e->Value(), 123);
  Key(e, Qt::Key_Backspace, QStringLiteral("\b"));
  EXPECT_EQ(e->text(), "123");
  r.Clear();
  Key(e, Qt::Key_A, QStringLiteral("\x01"), Qt::ControlModifier);  // select all
  EXPECT_EQ(e->selectedText(), "123");
  Key(e, Qt::Key_Left, QString());
  Key(e, Qt::Key_Home, QString());
  Key(e, Qt::Key_Y, QStringLiteral("\x19"), Qt::ControlModifier);
  Key(e, Qt::Key_Escape, QStringLiteral("\x1b"));
  EXPECT_EQ(r.events, (Events{"beep", "beep"}));  // Ctrl+Y and Escape only
  Type(e, QStringLiteral("\u00B2\u0663"));        // superscript two, Arabic-Indic three
  EXPECT_EQ(r.Count("beep"), 4);
  EXPECT_EQ(e->text(), "123");
}

TEST_F(EditTest, IntegerWithoutLimits) {
  for (auto [min, max] : {std::pair{1, 0}, std::pair{0, 0}, std::pair{5, 5}}) {
    auto* e = Make<TRtIntegerEdit>();
    e->SetMinValue(min);
    e->SetMaxValue(max);
    FocusIn(e);
    ReplaceText(e, QStringLiteral("0"));
    EXPECT_EQ(e->Value(), 0);
    ReplaceText(e, QStringLiteral("-25"));
    EXPECT_EQ(e->Value(), -25);
    FocusOut(e);
    EXPECT_EQ(e->Value(), -25);
    e->SetValue(-2147483647 - 1);
    EXPECT_EQ(e->text(), "-2147483648");
  }
}

TEST_F(EditTest, IntegerLimitsSnapAtEnterAndExit) {
  auto* e = Make<TRtIntegerEdit>();
  e->SetMinValue(1);
  e->SetMaxValue(10);
  EXPECT_EQ(e->Value(), 1);  // the limits clamp the value at once
  e->SetValue(20);
  EXPECT_EQ(e->Value(), 10);
  e->SetValue(4);
  Recorder<TRtIntegerEdit> r(e);
  FocusIn(e);
  ReplaceText(e, QStringLiteral("50"));
  EXPECT_EQ(e->Value(), 5);  // "5" was in range; "50" is not
  EXPECT_EQ(e->LastValid(), "5");
  EXPECT_EQ(e->text(), "50");
  r.Clear();
  Enter(e);
  EXPECT_EQ(e->Value(), 10);
  EXPECT_EQ(e->text(), "10");
  EXPECT_EQ(r.events, (Events{"changed", "beep", "changed", "dblclick", "beep"}));

  // Enter on a value already in force: no snap, no change.
  r.Clear();
  Enter(e);
  EXPECT_EQ(r.events, (Events{"dblclick", "beep"}));

  ReplaceText(e, QStringLiteral("0"));
  r.Clear();
  FocusOut(e);
  EXPECT_EQ(e->Value(), 1);
  EXPECT_EQ(e->text(), "1");
  EXPECT_EQ(r.events, (Events{"changed", "beep", "changed", "exit"}));
}

TEST_F(EditTest, IntegerHashesAndResize) {
  auto* e = Make<TRtIntegerEdit>(30);
  e->SetValue(123456789);
  EXPECT_EQ(e->text(), kHashes);
  EXPECT_EQ(e->LastValid(), "123456789");
  EXPECT_EQ(e->Value(), 123456789);
  FocusIn(e);
  EXPECT_EQ(e->text(), "123456789");
  // While focused a resize rewrites the text from Value (never hashes).
  e->SetMinValue(1);
  e->SetMaxValue(1000000000);
  ReplaceText(e, QStringLiteral("2000000000"));
  EXPECT_EQ(e->Value(), 200000000);
  e->setFixedWidth(40);
  QApplication::processEvents();
  EXPECT_EQ(e->text(), "200000000");
  FocusOut(e);
  EXPECT_EQ(e->text(), kHashes);
  e->setFixedWidth(200);
  QApplication::processEvents();
  EXPECT_EQ(e->text(), "200000000");
}

TEST_F(EditTest, IntegerEventsOnEverySet) {
  auto* e = Make<TRtIntegerEdit>();
  Recorder<TRtIntegerEdit> r(e);
  e->SetValue(0);
  e->SetValue(0);
  EXPECT_EQ(r.Count("changed"), 2);
  e->SetMaxValue(10);
  EXPECT_EQ(r.Count("changed"), 3);
  e->SetMaxValue(10);  // unchanged: nothing
  EXPECT_EQ(r.Count("changed"), 3);
  // Set while focused: the whole text is selected at the next focus entry.
  FocusIn(e);
  e->SetValue(7);
  FocusOut(e);
  FocusIn(e);
  EXPECT_EQ(e->selectedText(), "7");
}

// ---- Double edit, number mode

TEST_F(EditTest, DoubleKeyFilter) {
  auto* e = Make<TRtDoubleEdit>();
  Recorder<TRtDoubleEdit> r(e);
  FocusIn(e);
  ReplaceText(e, QStringLiteral("-1.5e+3"));
  EXPECT_EQ(e->Value(), -1500);
  EXPECT_EQ(r.Count("beep"), 0);
  Type(e, QStringLiteral(" :/APx"));
  EXPECT_EQ(r.Count("beep"), 6);
  EXPECT_EQ(e->text(), "-1.5e+3");
  ReplaceText(e, QStringLiteral("2E2"));
  EXPECT_EQ(e->Value(), 200);

  // Date-time and time-span modes also take blanks, separators and AM/PM letters.
  for (int mode = 0; mode < 2; ++mode) {
    auto* d = Make<TRtDoubleEdit>();
    Recorder<TRtDoubleEdit> rd(d);
    if (mode == 0) d->SetAsDateTime(true);
    if (mode == 1) d->SetAsTimeSpan(true);
    FocusIn(d);
    d->selectAll();
    Type(d, QStringLiteral("1/2 3:4.5,APM"));
    EXPECT_EQ(rd.Count("beep"), 1);  // the "," only: not a separator of these settings
    EXPECT_EQ(d->text(), "1/2 3:4.5APM");
    Type(d, QStringLiteral("x\u20AC"));
    EXPECT_EQ(rd.Count("beep"), 3);
  }
}

TEST_F(EditTest, DoubleUpperLimitOnly) {
  auto* e = Make<TRtDoubleEdit>();
  e->SetMaxValue(2);
  e->SetValue(1);
  Recorder<TRtDoubleEdit> r(e);
  FocusIn(e);
  e->selectAll();
  Type(e, QStringLiteral("5"));
  EXPECT_EQ(e->Value(), 1);
  EXPECT_EQ(e->LastValid(), "1");
  EXPECT_TRUE(r.events.empty());
  Enter(e);
  EXPECT_EQ(e->Value(), 2);
  EXPECT_EQ(e->text(), "2");
  EXPECT_EQ(r.events, (Events{"changed", "beep", "changed", "dblclick", "beep"}));

  // "-1" is refused as a value while typing and becomes the lower limit 0 at focus exit.
  ReplaceText(e, QStringLiteral("-1"));
  EXPECT_EQ(e->Value(), 2);
  FocusOut(e);
  EXPECT_EQ(e->Value(), 0);
  EXPECT_EQ(e->text(), "0");
}

TEST_F(EditTest, DecimalCommaLocale) {
  SetFormatSettings(CommaSettings());
  auto* e = Make<TRtDoubleEdit>();
  e->SetValue(0.25);
  EXPECT_EQ(e->text(), "0,25");
  FocusIn(e);
  e->selectAll();
  Type(e, QStringLiteral(".5"));  // typed, but does not convert
  EXPECT_EQ(e->text(), ".5");
  EXPECT_EQ(e->Value(), 0.25);
  FocusOut(e);
  EXPECT_EQ(e->Value(), 0.25);
  EXPECT_EQ(e->text(), "0,25");
  FocusIn(e);
  ReplaceText(e, QStringLiteral("0,5"));
  EXPECT_EQ(e->Value(), 0.5);
  ReplaceText(e, QStringLiteral("1,5E-3"));
  EXPECT_EQ(e->Value(), 0.0015);
}

TEST_F(EditTest, TextsThatDoNotFit) {
  const double v = 1234567.891;
  auto* e = Make<TRtDoubleEdit>(60);
  e->SetValue(v);
  const int room = e->AvailableTextWidth() + 2;
  const QFontMetrics fm(e->font());
  const QString shown = e->text();
  ASSERT_GT(fm.horizontalAdvance(QStringLiteral("1234567.891")), room) << "edit too wide";
  int n = 18;
  while (n >= 2 && TRtCustomDoubleEdit::FloatToShortText(n, v) != shown) --n;
  ASSERT_GE(n, 2) << shown.toStdString();
  EXPECT_LE(fm.horizontalAdvance(shown), room);
  for (int m = n + 1; m <= 18; ++m) {
    EXPECT_GT(fm.horizontalAdvance(TRtCustomDoubleEdit::FloatToShortText(m, v)), room) << m;
  }
  EXPECT_EQ(e->LastValid(), "1234567.891");
  FocusIn(e);
  EXPECT_EQ(e->text(), "1234567.891");
  EXPECT_EQ(e->Value(), v);
  FocusOut(e);
  EXPECT_EQ(e->text(), shown);

  // Too narrow for two digits: hashes, or the two-digit text without them.
  e->setFixedWidth(16);
  QApplication::processEvents();
  EXPECT_EQ(e->text(), kHashes);
  e->SetDoHashes(false);
  EXPECT_EQ(e->text(), "1E6");
  EXPECT_EQ(e->Value(), v);
}

TEST_F(EditTest, ShortNumberTexts) {
  const auto s = [](int n, double x) {
    return TRtCustomDoubleEdit::FloatToShortText(n, x).toStdString();
  };
  EXPECT_EQ(s(12, 1234567.891), "1234567.891");
  EXPECT_EQ(s(10, 1234567.891), "1234567.89");
  EXPECT_EQ(s(8, 1234567.891), "1234568");
  EXPECT_EQ(s(7, 1234567.891), "1234568");
  EXPECT_EQ(s(6, 1234567.891), "1.23E6");
  EXPECT_EQ(s(3, 1234567.891), "1E6");
  EXPECT_EQ(s(2, 1234567.891), "1E6");
  EXPECT_EQ(s(6, -0.000012345), "-1E-5");
  EXPECT_EQ(s(8, -0.000012345), "-1.23E-5");
  EXPECT_EQ(s(6, 0.00012345), "0.0001");
  EXPECT_EQ(s(5, 0), "0");
  EXPECT_EQ(s(5, 99999.9), "1E5");
  SetFormatSettings(CommaSettings());
  EXPECT_EQ(s(10, 1234567.891), "1234567,89");
}

TEST_F(EditTest, NumberPictureAndEvents) {
  auto* e = Make<TRtDoubleEdit>();
  Recorder<TRtDoubleEdit> r(e);
  e->SetValue(1.5);
  e->SetValue(1.5);
  EXPECT_EQ(r.Count("changed"), 2);
  e->SetMaxValue(100);
  EXPECT_EQ(r.Count("changed"), 3);
  e->SetMinValue(-1);
  EXPECT_EQ(r.Count("changed"), 4);
  e->SetFormat(QStringLiteral("0.000"));
  EXPECT_EQ(e->text(), "1.500");
  EXPECT_EQ(e->LastValid(), "1.5");  // a new picture does not touch the last valid text
  e->SetValue(2.25);
  EXPECT_EQ(e->text(), "2.250");
  EXPECT_EQ(r.Count("changed"), 5);
  // Set while unfocused: the next focus entry selects the whole text.
  FocusIn(e);
  EXPECT_EQ(e->selectedText(), "2.250");
  EXPECT_EQ(e->Value(), 2.25);
}

// ---- Time spans and date-times

TEST_F(EditTest, TimeSpanTexts) {
  using E = TRtCustomDoubleEdit;
  EXPECT_EQ(E::TimeSpanToText(0.25), "06:00:00.000");
  EXPECT_EQ(E::TimeSpanToText(2.0), "2.");
  EXPECT_EQ(E::TimeSpanToText(0), "");
  EXPECT_EQ(E::TimeSpanToText(1 + 2 / 24.0 + 3 / 1440.0 + 4.5 / 86400), "1.02:03:04.500");
  EXPECT_EQ(E::TimeSpanToText(0.99999999999), "1.");  // rounded to the millisecond once
  try {
    E::TimeSpanToText(-1e-9);
    ADD_FAILURE();
  } catch (const ERtConvertError& err) {
    EXPECT_STREQ(err.what(), "Error no negative Time Span allowed");
  }
  const auto near = [](double a, double b) { return std::fabs(a - b) < 1e-12; };
  EXPECT_TRUE(near(E::TextToTimeSpan(QStringLiteral("90")), 90 / 86400.0));
  EXPECT_TRUE(near(E::TextToTimeSpan(QStringLiteral("5:30")), 330 / 86400.0));
  EXPECT_TRUE(near(E::TextToTimeSpan(QStringLiteral("3:00:00")), 0.125));
  EXPECT_TRUE(near(E::TextToTimeSpan(QStringLiteral("1.5")), 1 + 5 / 86400.0));
  EXPECT_TRUE(near(E::TextToTimeSpan(QStringLiteral("2.")), 2));
  EXPECT_TRUE(near(E::TextToTimeSpan(QStringLiteral(":30")), 30 / 86400.0));
  EXPECT_EQ(E::TextToTimeSpan(QString()), 0);
  for (const char* bad : {"1:2:3:4", "x", "5:", ".5", "1:x:3", "1.2:3:4:5"}) {
    EXPECT_THROW(E::TextToTimeSpan(QString::fromLatin1(bad)), ERtConvertError) << bad;
  }
  SetFormatSettings(CommaSettings());
  EXPECT_EQ(E::TimeSpanToText(1.5), "1.12:00:00,000");
  EXPECT_TRUE(near(E::TextToTimeSpan(QStringLiteral("1.02:03:04,5")),
                   1 + 2 / 24.0 + 3 / 1440.0 + 4.5 / 86400));
}

TEST_F(EditTest, TimeSpanEdit) {
  auto* e = Make<TRtDoubleEdit>();
  Recorder<TRtDoubleEdit> r(e);
  QStringList errors;
  QObject::connect(e, &TRtDoubleEdit::ErrorRaised, [&](const QString& m) { errors << m; });
  e->SetAsTimeSpan(true);
  EXPECT_EQ(e->text(), "");
  e->SetValue(2);
  EXPECT_EQ(e->text(), "2.");
  FocusIn(e);
  ReplaceText(e, QStringLiteral("90"));
  EXPECT_DOUBLE_EQ(e->Value(), 90 / 86400.0);
  FocusOut(e);
  EXPECT_EQ(e->text(), "00:01:30.000");

  // Empty text: 0 at focus exit.
  FocusIn(e);
  e->selectAll();
  Key(e, Qt::Key_Backspace, QStringLiteral("\b"));
  EXPECT_DOUBLE_EQ(e->Value(), 90 / 86400.0);
  FocusOut(e);
  EXPECT_EQ(e->Value(), 0);

  // A negative span has no text: "Error", no event; a later display raises.
  r.Clear();
  e->SetValue(-1);
  EXPECT_EQ(e->text(), "Error");
  EXPECT_EQ(e->Value(), -1);
  EXPECT_TRUE(r.events.empty());
  e->setFixedWidth(120);
  QApplication::processEvents();
  EXPECT_EQ(e->text(), "Error");
  ASSERT_FALSE(errors.isEmpty());
  EXPECT_EQ(errors.front(), "Error no negative Time Span allowed");
}

TEST_F(EditTest, DateTimeEdit) {
  auto* e = Make<TRtDoubleEdit>(200);
  e->SetAsDateTime(true);
  e->SetValue(3000000);
  EXPECT_EQ(e->Value(), RtEditMaxDateTime);
  e->SetMinValue(-1e7);
  EXPECT_EQ(e->MinValue(), RtEditMinDateTime);
  e->SetMinValue(0);
  e->SetMaxValue(0);
  e->SetValue(EncodeDateTime(2024, 5, 17, 14, 35, 7));
  EXPECT_EQ(e->text(), "17/05/2024 14:35:07");
  e->SetValue(EncodeDateTime(2024, 5, 17));
  EXPECT_EQ(e->text(), "17/05/2024");
  FocusIn(e);
  ReplaceText(e, QStringLiteral("18/05/2024 09:05:30"));
  EXPECT_EQ(e->Value(), EncodeDateTime(2024, 5, 18, 9, 5, 30));
  ReplaceText(e, QStringLiteral("31/02/2024"));  // no such day: the value stays
  EXPECT_EQ(e->Value(), EncodeDateTime(2024, 5, 18, 9, 5, 30));
  FocusOut(e);
  EXPECT_EQ(e->text(), "18/05/2024 09:05:30");

  e->SetAsTimeSpan(true);
  EXPECT_FALSE(e->AsDateTime());
  EXPECT_TRUE(e->AsTimeSpan());
  e->SetAsDateTime(true);
  EXPECT_FALSE(e->AsTimeSpan());

  // Narrow: hashes only while DoHashes.
  e->setFixedWidth(40);
  QApplication::processEvents();
  EXPECT_EQ(e->text(), kHashes);
  e->SetDoHashes(false);
  EXPECT_EQ(e->text(), "18/05/2024 09:05:30");
}

TEST_F(EditTest, DateTimeTexts) {
  const auto parse = [](const char* s, double& v) {
    return TRtCustomDoubleEdit::TextToDateTime(QString::fromLatin1(s), v);
  };
  double v = 0;
  ASSERT_TRUE(parse("17/05/2024 14:35:07", v));
  EXPECT_EQ(v, EncodeDateTime(2024, 5, 17, 14, 35, 7));
  ASSERT_TRUE(parse(" 1/2/2003  4:05 ", v));
  EXPECT_EQ(v, EncodeDateTime(2003, 2, 1, 4, 5));
  ASSERT_TRUE(parse("14:35", v));
  EXPECT_EQ(v, EncodeDateTime(1899, 12, 30, 14, 35));
  ASSERT_TRUE(parse("2:30 PM", v));
  EXPECT_EQ(v, EncodeDateTime(1899, 12, 30, 14, 30));
  ASSERT_TRUE(parse("12:00:00 am", v));
  EXPECT_EQ(v, 0);
  ASSERT_TRUE(parse("01/01/0001", v));
  EXPECT_EQ(v, RtEditMinDateTime);
  ASSERT_TRUE(parse("17/05/2024 14:35:07.250", v));
  EXPECT_EQ(v, EncodeDateTime(2024, 5, 17, 14, 35, 7, 250));
  for (const char* bad : {"", "17/13/2024", "29/02/2023", "17/05/2024 24:00", "17/05/2024 x", "14",
                          "13:00 PM", "17.05.2024", "1/2/3/4"}) {
    EXPECT_FALSE(parse(bad, v)) << bad;
  }
  ASSERT_TRUE(parse("29/02/2024", v));
  // Two-digit years fall within 50 years of now.
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
  ASSERT_TRUE(parse("01/06/30", v));
  DecodeDateTime(v, y, mo, d, h, mi, s, ms);
  DecodeDateTime(Now(), h, mi, s, ms, mo, d, ms);  // h = current year
  EXPECT_LE(std::abs(y - h), 50);
  EXPECT_EQ(y % 100, 30);

  TFormatSettings us = DotSettings();
  us.ShortDateFormat = "m/d/yyyy";
  SetFormatSettings(us);
  ASSERT_TRUE(parse("5/17/2024", v));
  EXPECT_EQ(v, EncodeDateTime(2024, 5, 17));
  TFormatSettings iso = DotSettings();
  iso.ShortDateFormat = "yyyy-mm-dd";
  iso.DateSeparator = "-";
  iso.TimeSeparator = ".";
  SetFormatSettings(iso);
  ASSERT_TRUE(parse("2024-05-17 14.35", v));
  EXPECT_EQ(v, EncodeDateTime(2024, 5, 17, 14, 35));
}

// ---- Property links

TEST_F(EditTest, PropertyLinks) {
  auto* source = Make<TRtDoubleEdit>();
  auto* target = Make<TRtDoubleEdit>();
  target->setObjectName(QStringLiteral("Target"));
  auto* count = Make<TRtIntegerEdit>();
  count->setObjectName(QStringLiteral("Count"));
  source->PropertyLinks()->SetItems(
      {QStringLiteral("formtest.target.value"), QStringLiteral("FormTest.Count.Value"),
       QStringLiteral("FormTest.Missing.Value"), QStringLiteral("NoForm.Target.Value")});
  source->SetValue(3.5);
  EXPECT_EQ(source->PropertyLinks()->ResolvedCount(), 2);
  EXPECT_EQ(target->Value(), 3.5);
  EXPECT_EQ(count->Value(), 4);  // through the property's own conversion

  // The first target's value comes back at Loaded and when it changes behind the edit's back.
  target->SetValue(7);
  source->Loaded();
  EXPECT_EQ(source->Value(), 7);
  target->SetValue(9);
  QElapsedTimer t;
  t.start();
  while (source->Value() != 9 && t.elapsed() < 3000) QApplication::processEvents();
  EXPECT_EQ(source->Value(), 9);

  // Edits linked to each other do not loop.
  target->PropertyLinks()->SetItems({QStringLiteral("FormTest.Source.Value")});
  source->setObjectName(QStringLiteral("Source"));
  target->PropertyLinks()->Modified();
  source->SetValue(11);
  EXPECT_EQ(target->Value(), 11);
  target->SetValue(12);
  EXPECT_EQ(source->Value(), 12);
}

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
