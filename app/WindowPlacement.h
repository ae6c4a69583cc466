// Where the program's windows go on the screen: inside the screen's available area (without
// panels and docks), whether or not a window manager places them.
#pragma once

#include <QRect>
#include <QSize>

class QWidget;

// A rectangle of the given size, shrunk to fit the area where it is larger, centred in area.
QRect CentredIn(QSize size, const QRect& area);
// frame moved, and shrunk where it is larger, so that it lies inside area; unchanged when it
// already does.
QRect KeptInside(const QRect& frame, const QRect& area);

// The available area of the screen the widget is on (the primary screen for a widget that has
// none yet).
QRect AvailableArea(const QWidget* w);
// Centres a top-level window on around's frame when that is shown, otherwise on the available
// area of the screen; either way inside the available area.
void PlaceCentred(QWidget* w, const QWidget* around);
// Moves (and shrinks) a shown top-level window whose frame leaves the available area.
void KeepOnScreen(QWidget* w);
