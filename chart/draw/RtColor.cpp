#include <QGuiApplication>
#include <QPalette>

#include "chart/draw/RtDrawTypes.h"
#include "chart/io/RtColors.h"

TRtColor RtControlTextColor() {
  if (qGuiApp) return QGuiApplication::palette().color(QPalette::WindowText).rgba();
  return RtColors::Black;
}

TRtColor RtWindowFrameColor() {
  return 0xFF646464;
}

std::optional<TRtColor> RtColorFromName(const QString& Name) {
  if (Name.compare(QLatin1String("ControlText"), Qt::CaseInsensitive) == 0)
    return RtControlTextColor();
  if (Name.compare(QLatin1String("WindowFrame"), Qt::CaseInsensitive) == 0)
    return RtWindowFrameColor();
  std::uint32_t argb = 0;
  if (RtKnownColorByName(Name, argb)) return argb;
  return std::nullopt;
}

QString RtColorName(TRtColor Color) {
  const char* name = RtKnownColorName(Color);
  return name ? QString::fromLatin1(name) : QString();
}
