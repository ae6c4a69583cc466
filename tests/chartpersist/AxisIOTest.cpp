// Axis streaming: every setting through each form, the names of the XML and INI forms, the
// reading order that the setters' rules depend on, and values that cannot be read.
#include <gtest/gtest.h>

#include <QDomDocument>

#include "MainWindowCharts.h"
#include "chart/io/RtPersistent.h"
#include "platform/IniFile.h"
#include "tests/support/ErrorOf.h"

namespace {

struct AxisIO : ::testing::Test {
  AxisIO() {
    Form.setObjectName(QStringLiteral("AxisForm"));
    RtRegisterForm(&Form);
    Master->setObjectName(QStringLiteral("Master"));
    Axis->setObjectName(QStringLiteral("Axis"));
  }
  ~AxisIO() override { RtUnregisterRoot(&Form); }

  // Every setting away from its default (and the two distances on a left axis, where the gap to
  // the numbers is kept after the caption).
  void ChangeEverything(TRtAxis& a) {
    a.SetVisible(false);
    a.SetPosition(TRtAxisPosition::Left);
    a.SetBounds(6, 5, 70, 300);
    a.SetAutoSize(false);
    a.SetAxisThicknes(2);
    a.SetMajorTickThicknes(3);
    a.SetTickThicknes(1.5f);
    a.SetMajorTickLength(12);
    a.SetTickLength(4);
    a.SetForeColor(0xFF112233);
    a.SetMajorTickColor(0xFF445566);
    a.SetTickColor(0xFF778899);
    a.SetCaption(QStringLiteral("Volts\rmV"));
    a.SetCaptionVisible(false);
    a.SetCaptionHorizontalOnVerticalAxis(true);
    a.SetCaptionAlignment(TAlignment::taLeftJustify);
    a.CaptionFont()->SetName(QStringLiteral("Courier New"));
    a.CaptionFont()->SetSize(9.5f);
    a.SetCaptionColor(0xFF00FF00);
    a.SetDistanceNumbersCaption(5);
    a.SetDistanceToBorder(7);
    a.SetScaling(TRtAxisScaling::Log);
    a.SetLogToNormalScalingLevel(2);
    a.SetTicksPointToData(true);
    a.SetTwisted(true);
    a.SetNumbersVisible(false);
    a.Font()->SetName(QStringLiteral("Times New Roman"));
    a.Font()->SetStyle(TRtFontStyle::Italic);
    a.SetNumbersColor(0xFF0000AA);
    a.SetRubricsAngle(30);
    a.SetMovingSlitWidth(120);
    a.SetMovingSlitIncrement(30);
    a.SetExtraDigits(2);
    a.SetMaxForExtraExponent(1e6);
    a.SetMinForExtraExponent(1e-6);
    a.SetLabelDistanceFactor(2);
    for (int t = 0; t < 3; ++t)
      for (int i = 0; i < 3; ++i) a.SetPartCandidate(t, i, 0.25 * (t + 1) + 0.03125 * i);
    a.SetAutoTickParts(false);
    a.SetLabelPart(2);
    a.SetMajorTickPart(1);
    a.SetTickPart(0.25);
    a.SetMajorGridMode(TRtMajorGridMode::AtMajorTick);
    a.SetStart(1);
    a.SetStop(1000);
    a.SetEndRounding(TRtAxisEndRounding::RndNothing);
    a.SetStartEnd(TRtAxisEnd::FirstSet);
    a.SetStopEnd(TRtAxisEnd::Fixed);
    a.SetRubrics({QStringLiteral("low"), QStringLiteral("high")});
    a.SetShortMonthFormat(QStringLiteral("MM/yy"));
    a.SetLongMonthFormat(QStringLiteral("MMMM"));
    a.SetDayFormat(QStringLiteral("dd.MM."));
    a.SetDayAndHourFormat(QStringLiteral("dd. hh"));
    a.SetMinuteFormat(QStringLiteral("h:nn"));
    a.SetSecondFormat(QStringLiteral("nn:ss"));
    a.SetMilliSecondFormat(QStringLiteral("ss,fff"));
    a.SetIsSlaveAxis(true);
    a.SetMasterAxis(Master);
    a.SetSlaveOffset(3);
    a.SetSlaveSlope(2);
    a.ArrowPoint()->SetVisible(true);
    a.ArrowPoint()->SetPointLength(9);
    a.ArrowPoint()->SetInnerLength(6);
    a.ArrowPoint()->SetPointHeight(4);
    a.SetDistanceValuesAxis(2);
    a.SetDistanceAxisLabels(3);
    a.SetDistanceAxisExtraExponent(4);
  }

  QObject Form;
  TRtAxis* Master = new TRtAxis(&Form);
  TRtAxis* Axis = new TRtAxis(&Form);
};

TEST_F(AxisIO, EverySettingInEachForm) {
  ChangeEverything(*Axis);
  const TSnapshot want = Snapshot(Axis);
  ASSERT_EQ(want.at("DistanceNumbersCaption"), "5");
  ASSERT_EQ(want.at("CaptionFont.Size"), "9.5");
  const TSnapshot fresh = Snapshot(Master);
  for (const auto& [key, value] : fresh) {
    const bool font = key.rfind("Font.", 0) == 0 || key.rfind("CaptionFont.", 0) == 0;
    if (key != "MasterAxis" && !font && key.find("Gradient") == std::string::npos) {
      EXPECT_NE(want.at(key), value) << key << " is not changed by the test";
    }
  }

  const QByteArray image = RtBinaryImage(*Axis);
  QDomDocument doc(QStringLiteral("chart"));
  Axis->WriteTo(doc);
  TIniFile ini;
  Axis->WriteTo(ini, QStringLiteral("A"));
  for (int form = 0; form < 3; ++form) {
    auto* back = new TRtAxis(&Form);
    back->setObjectName(QStringLiteral("Back"));
    if (form == 0) RtReadBinaryImage(*back, image);
    if (form == 1) back->ReadFrom(doc.documentElement());
    if (form == 2) back->ReadFrom(ini, QStringLiteral("A"));
    EXPECT_EQ(Snapshot(back), want) << "form " << form;
    EXPECT_EQ(back->MasterAxis(), Master);
    EXPECT_EQ(back->DistanceNumbersCaption(), 5);
    EXPECT_EQ(back->CaptionFont()->Name(), QStringLiteral("Courier New"));
    delete back;
  }
}

TEST_F(AxisIO, NamesOfTheXmlAndIniForms) {
  Axis->SetRubrics({QStringLiteral("a")});
  QDomDocument doc(QStringLiteral("chart"));
  Axis->WriteTo(doc);
  const QDomElement e = doc.documentElement();
  EXPECT_EQ(e.tagName(), QStringLiteral("TRtAxis"));
  EXPECT_EQ(e.attribute(QStringLiteral("Name")), QStringLiteral("AxisForm.Axis"));
  const std::vector<std::pair<const char*, std::vector<const char*>>> names = {
      {"Properties",
       {"Visible", "Position", "Top", "Left", "AutoSize", "Width", "Height", "AxisThicknes",
        "MajorTickThicknes", "TickThicknes", "MajorTickLength", "TickLength", "AxisColor",
        "MajorTickColor", "TickColor"}},
      {"Caption",
       {"Text", "HorizontalOnVerticalAxis", "Alignment", "Color", "DistanceBefore",
        "DistanceAfter"}},
      {"Scaling",
       {"Type", "LogToNormalScalingLevel", "TicksPointToData", "Twisted", "NumbersVisible",
        "NumbersColor", "RubricsAngle", "MovingSlitWidth", "MovingSlitIncrement", "ExtraDigits",
        "MaxForExtraExponent", "MinForExtraExponent"}},
      {"TickParts",
       {"LabelDistanceFactor", "LabelParts.0", "LabelParts.1", "LabelParts.2", "MajorParts.0",
        "MajorParts.1", "MajorParts.2", "MinorParts.0", "MinorParts.1", "MinorParts.2", "Auto",
        "Label", "Major", "Minor", "MajorGridMode"}},
      {"Ends", {"Start", "Stop", "ValuesStart", "ValuesStop", "Rounding", "StartEnd", "StopEnd"}},
      {"DateTimeFormat",
       {"ShortMonth", "LongMonth", "Day", "DayAndHour", "Minute", "Second", "MilliSecond"}},
      {"SlaveAxis", {"IsSlave", "MasterAxis", "Offset", "Slope"}},
      {"Arrow", {"PointLength", "InnerLength", "PointHeight"}},
      {"Distance", {"ValuesAxis", "AxisLabels", "AxisExtraExponent"}},
      {"Zoom", {"Idx"}},
  };
  for (const auto& [element, attributes] : names) {
    const QDomElement g = e.firstChildElement(QString::fromLatin1(element));
    ASSERT_FALSE(g.isNull()) << element;
    for (const char* a : attributes) EXPECT_TRUE(g.hasAttribute(QString::fromLatin1(a))) << a;
  }
  const QDomElement captions =
      e.firstChildElement(QStringLiteral("Rubrics")).firstChildElement(QStringLiteral("Captions"));
  EXPECT_EQ(captions.attribute(QStringLiteral("Count")), QStringLiteral("1"));
  EXPECT_EQ(captions.firstChildElement(QStringLiteral("Item")).text(), QStringLiteral("a"));

  TIniFile ini;
  Axis->WriteTo(ini, QStringLiteral("A"));
  for (const char* key : {"Name",
                          "Caption.Visible",
                          "Caption.Font.Name",
                          "Numbers.Visible",
                          "Numbers.Font.Size",
                          "MovingSlit.Width",
                          "MovingSlit.Increment",
                          "TickParts.Auto",
                          "TickParts.Label",
                          "Ends.Start",
                          "Ends.StartEnd",
                          "Rubrics.FromDatabase",
                          "Rubrics.Count",
                          "Rubrics.Item0",
                          "DateTimeFormat.Day",
                          "Slave.Offset",
                          "Slave.Slope",
                          "Arrow.Visible",
                          "Distance.ValuesAxis",
                          "Zoom.Idx",
                          "AxisColor"})
    EXPECT_TRUE(ini.ValueExists("A", key)) << key;
}

// The scaling is read before the range ends its rules clamp; the caption gaps come back on the
// sides they were on, whatever the reader's position was.
TEST_F(AxisIO, SettingsAreReadInTheOrderTheirRulesNeed) {
  QDomDocument doc(QStringLiteral("chart"));
  Axis->SetPosition(TRtAxisPosition::Right);
  Axis->SetDistanceNumbersCaption(5);
  Axis->WriteTo(doc);
  QDomElement e = doc.documentElement();
  e.firstChildElement(QStringLiteral("Scaling"))
      .setAttribute(QStringLiteral("Type"), int(TRtAxisScaling::DateTime));
  e.firstChildElement(QStringLiteral("Ends")).setAttribute(QStringLiteral("Start"), -1e7);
  auto* back = new TRtAxis(&Form);
  back->SetPosition(TRtAxisPosition::Left);
  back->ReadFrom(e);
  EXPECT_EQ(back->Scaling(), TRtAxisScaling::DateTime);
  EXPECT_EQ(back->Start(), -657434.0);
  EXPECT_EQ(back->Position(), TRtAxisPosition::Right);
  EXPECT_EQ(back->DistanceNumbersCaption(), 5);
  EXPECT_EQ(back->DistanceToBorder(), 0);
}

// Reading goes through the setters: a moving window switches the graph's mouse zoom and the
// scroll bar of its direction off, and the change is one undo group.
TEST(AxisIOGraph, MovingWindowReadThroughTheSetters) {
  TMainWindowCharts w;
  w.Design();
  TIniFile ini;
  w.XAxisSensorTime->SetStartEnd(TRtAxisEnd::Fixed);
  w.XAxisSensorTime->SetStopEnd(TRtAxisEnd::MovingSlit);
  w.XAxisSensorTime->WriteTo(ini, QStringLiteral("X"));
  w.Undo->Clear();
  ASSERT_TRUE(w.PumpGraph->Zoom.Auto);
  w.XAxisPumpTime->ReadFrom(ini, QStringLiteral("X"));
  EXPECT_EQ(w.XAxisPumpTime->StopEnd(), TRtAxisEnd::MovingSlit);
  EXPECT_FALSE(w.PumpGraph->Zoom.Auto);
  EXPECT_FALSE(w.PumpGraph->Zoom.HScrollbarVisible);
  EXPECT_TRUE(w.PumpGraph->Zoom.VScrollbarVisible);
  ASSERT_EQ(w.Undo->UndoCount(), 1);
  EXPECT_EQ(w.Undo->UndoList().value(0), QStringLiteral("Read axis settings"));
  w.Undo->Undo();
  EXPECT_EQ(w.XAxisPumpTime->StopEnd(), TRtAxisEnd::AutoRange);
  EXPECT_TRUE(w.PumpGraph->Zoom.Auto);
  EXPECT_TRUE(w.PumpGraph->Zoom.HScrollbarVisible);
}

TEST_F(AxisIO, UnreadableValuesEndReadingWithWhatCameBefore) {
  Axis->SetVisible(false);
  Axis->SetCaption(QStringLiteral("Read"));
  const QByteArray image = RtBinaryImage(*Axis);
  QDomDocument doc(QStringLiteral("chart"));
  Axis->WriteTo(doc);
  doc.documentElement()
      .firstChildElement(QStringLiteral("Scaling"))
      .setAttribute(QStringLiteral("Type"), QStringLiteral("6"));
  auto* back = new TRtAxis(&Form);
  EXPECT_EQ(ErrorOf([&] { back->ReadFrom(doc.documentElement()); }),
            "'6' is not a valid TRtAxisScaling value");
  EXPECT_FALSE(back->Visible());
  EXPECT_EQ(back->Caption(), QStringLiteral("Read"));
  EXPECT_EQ(back->Scaling(), TRtAxisScaling::Normal);

  auto* cut = new TRtAxis(&Form);
  EXPECT_EQ(ErrorOf([&] { RtReadBinaryImage(*cut, image.left(image.size() - 1)); }),
            "Stream read error");
  EXPECT_FALSE(cut->Visible());
  EXPECT_EQ(cut->Caption(), QStringLiteral("Read"));
}

}  // namespace
