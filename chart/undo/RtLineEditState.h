// Edit-state access for QLineEdit and its descendants (the numeric edits): its selection is not
// a published property. Call once before the undo stack records edit states of line edits.
#pragma once

void RtRegisterLineEditState();
