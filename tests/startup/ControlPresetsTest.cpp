// The window put into a prepared state by control names, as the picture script does.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>

#include "app/ControlPresets.h"
#include "app/LogView.h"
#include "app/MessageBox.h"
#include "app/Schematic.h"
#include "app/frmZenkar2.h"

namespace {

class Presets : public ::testing::Test {
 protected:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "test_presets";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
    ASSERT_TRUE(dir_.isValid());
    SetMessageBoxHandler([](const std::string&) {});
    TStartOptions o;
    o.BaseDir = dir_.path().toStdString();
    o.Headless = true;
    o.BypassPort = "/nonexistent/port";
    window_ = std::make_unique<TFormZenkar2>(o);
  }
  void TearDown() override {
    window_->close();
    window_.reset();
    SetMessageBoxHandler({});
  }
  bool Set(const std::string& setting) { return ApplyControlSetting(*window_, setting, error_); }
  QTemporaryDir dir_;
  std::unique_ptr<TFormZenkar2> window_;
  std::string error_;
};

TEST_F(Presets, BoxesButtonsAndNumbersBySetting) {
  TFormZenkar2& w = *window_;
  ASSERT_FALSE(w.CheckBoxRateOfChange->isChecked());
  EXPECT_TRUE(Set("CheckBoxRateOfChange"));
  EXPECT_TRUE(w.CheckBoxRateOfChange->isChecked());
  EXPECT_TRUE(Set("CheckBoxTargetSetpoint=off"));
  EXPECT_FALSE(w.CheckBoxTargetSetpoint->isChecked());
  EXPECT_TRUE(Set("RadioButtonPumpTimeAxisSeconds"));
  EXPECT_TRUE(w.RadioButtonPumpTimeAxisSeconds->isChecked());
  EXPECT_FALSE(w.RadioButtonPumpTimeAxisTime->isChecked());
  EXPECT_TRUE(Set("RtDoubleEditPumpAxisSlit=5"));
  EXPECT_EQ(w.RtDoubleEditPumpAxisSlit->Value(), 5);
  EXPECT_TRUE(Set("RtDoubleEditTargetSetpoint=0.0035"));
  EXPECT_EQ(w.RtDoubleEditTargetSetpoint->Value(), 0.0035);
  EXPECT_TRUE(Set("Edit1=*IDN?"));
  EXPECT_EQ(w.Edit1->text(), QStringLiteral("*IDN?"));

  EXPECT_FALSE(Set("RtDoubleEditPumpAxisSlit=5.5"));
  EXPECT_EQ(error_,
            "'RtDoubleEditPumpAxisSlit' needs a whole number, as in RtDoubleEditPumpAxisSlit=5");
  EXPECT_EQ(w.RtDoubleEditPumpAxisSlit->Value(), 5);
  EXPECT_FALSE(Set("RtDoubleEditIntegral"));
  EXPECT_EQ(error_, "'RtDoubleEditIntegral' needs a number, as in RtDoubleEditIntegral=5");
  EXPECT_FALSE(Set("RadioButtonPumpTimeAxisTime=off"));
  EXPECT_EQ(error_, "'RadioButtonPumpTimeAxisTime' takes no value but 'off'");
  EXPECT_TRUE(w.RadioButtonPumpTimeAxisSeconds->isChecked());
  EXPECT_FALSE(Set("CheckBoxNone"));
  EXPECT_EQ(error_, "no control named 'CheckBoxNone'");
}

TEST_F(Presets, PagesByCaptionAndPartsByName) {
  TFormZenkar2& w = *window_;
  std::string error;
  EXPECT_TRUE(ShowPage(w, "Debug", error));
  EXPECT_EQ(w.PageControl1->currentWidget(), w.TabSheetDebug);
  EXPECT_TRUE(ShowPage(w, "Graph setting", error));
  EXPECT_EQ(w.PageControl1->currentWidget(), w.TabSheetGraph);
  EXPECT_FALSE(ShowPage(w, "graph setting", error));
  EXPECT_EQ(error, "no page 'graph setting'");
  EXPECT_EQ(w.PageControl1->currentWidget(), w.TabSheetGraph);

  EXPECT_EQ(WindowPart(w, "PageControl1"), w.PageControl1);
  EXPECT_EQ(WindowPart(w, "MemoLog"), static_cast<QWidget*>(w.MemoLog));
  ASSERT_NE(WindowPart(w, "RtGraph2DPumpCurrent"), nullptr);
  EXPECT_EQ(WindowPart(w, "RtGraph2DPumpCurrent")->objectName(),
            QStringLiteral("RtGraph2DPumpCurrent"));
  EXPECT_EQ(WindowPart(w, "FormZenkar2"), &w);
  EXPECT_EQ(WindowPart(w, "Image1"), static_cast<QWidget*>(w.Image1));
  EXPECT_EQ(WindowPart(w, "Nothing"), nullptr);
  EXPECT_EQ(WindowPart(w, ""), nullptr);
}

}  // namespace
