// Puts the window into a prepared state by control name, for pictures of the window made by
// the program itself (scripts/screenshots.sh): the page shown, ticked boxes, numbers in the
// edits, and the part of the window a screenshot shows.
#pragma once

#include <string>

class QWidget;
class TFormZenkar2;

// "Name" ticks the check box or radio button of that name ("CheckBoxRateOfChange"), "Name=off"
// clears a check box, "Name=5" puts 5 into a numeric edit, "ButtonRun" presses that button.
// False with the reason when the name or the value fits no control.
bool ApplyControlSetting(TFormZenkar2& window, const std::string& setting, std::string& error);

// Shows the page with this caption ("Graph setting"); false when there is none.
bool ShowPage(TFormZenkar2& window, const std::string& caption, std::string& error);

// The part of the window with this name: a control the window names ("RtGraph2DPumpCurrent",
// "PageControl1", "MemoLog", "PanelSchematics") or one of its members; nullptr when none.
QWidget* WindowPart(TFormZenkar2& window, const std::string& name);
