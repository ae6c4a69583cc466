// Legend value types and the arrangement of the entries: where each entry's sample and caption
// go, where the title goes, and how large the box becomes. A pure function of the measured sizes
// and the settings, in whole pixels.
#pragma once

#include <QFlags>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QSizeF>

#include <vector>

#include "chart/draw/RtDrawTypes.h"

namespace RtLegendTypes {
Q_NAMESPACE

enum class TRtItemsOrder { ByColumn, ByRow };
Q_ENUM_NS(TRtItemsOrder)

// What colours an entry caption.
enum class TRtLegendCaptionColorFrom { LegendForeColor, SeriesLineColor, SeriesAreaForeColor };
Q_ENUM_NS(TRtLegendCaptionColorFrom)

// Keys and buttons held down, as a set.
enum class TRtShiftStateItem {
  ssShift = 1,
  ssAlt = 2,
  ssCtrl = 4,
  ssLeft = 8,
  ssRight = 16,
  ssMiddle = 32,
  ssDouble = 64
};
Q_DECLARE_FLAGS(TRtShiftState, TRtShiftStateItem)
Q_FLAG_NS(TRtShiftState)

}  // namespace RtLegendTypes

Q_DECLARE_OPERATORS_FOR_FLAGS(RtLegendTypes::TRtShiftState)

using RtLegendTypes::TRtItemsOrder;
using RtLegendTypes::TRtLegendCaptionColorFrom;
using RtLegendTypes::TRtShiftState;
using RtLegendTypes::TRtShiftStateItem;

// The set of a mouse event's buttons and modifier keys.
TRtShiftState RtShiftState(Qt::MouseButtons Buttons, Qt::KeyboardModifiers Modifiers);

struct TRtLegendLayoutInput {
  // Measured size of each entry caption.
  std::vector<QSizeF> Captions;
  // Effective entry height.
  float ItemHeight = 0;
  float ItemWidth = 80;
  float DistanceItemCaption = 4;
  float DistanceBetweenLines = 3;
  float DistanceBetweenColumns = 10;
  float DistanceToBorder = 8;
  int Rows = 1, Columns = 1;
  TRtItemsOrder ItemsOrder = TRtItemsOrder::ByColumn;
  // The title, when shown (visible and not empty).
  bool TitleShown = false;
  QSizeF Title;
  TAlignment TitleAlignment = TAlignment::taCenter;
  float CaptionDistanceBefore = 0, CaptionDistanceAfter = 0;
  // Without AutoSize rows are centred on the legend's actual width.
  bool AutoSize = true;
  int ActualWidth = 0;
  // A drop shadow is drawn (it adds 5 x 4 pixels to an auto-sized legend).
  bool DropShadow = false;
};

struct TRtLegendLayout {
  // Sample rectangle of each entry.
  std::vector<QRect> ItemRects;
  // Centre-left point of each entry caption.
  std::vector<QPoint> CaptionPoints;
  // Content size (FWidth, FHeight).
  int Width = 0, Height = 0;
  // Size of an auto-sized legend: the content plus the shadow.
  QSize Size;
  // Anchor of the title: top left, top centre or top right by its alignment.
  QPoint TitlePoint;
};

TRtLegendLayout RtArrangeLegend(const TRtLegendLayoutInput& In);
