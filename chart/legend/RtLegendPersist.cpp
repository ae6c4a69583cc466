// Persistence of TRtLegend through the settings by property name.
#include "chart/graphio/RtGraphIO.h"
#include "chart/io/RtClassRegistry.h"
#include "chart/legend/RtLegend.h"

RT_REGISTER_CLASS(TRtLegend)

namespace {

TRtLegendIO IO(const TRtLegend& Legend) {
  return TRtLegendIO(const_cast<TRtLegend&>(Legend));
}

}  // namespace

void TRtLegend::WriteTo(TRtStreamWriter& Writer) const {
  IO(*this).WriteTo(Writer);
}
void TRtLegend::ReadFrom(TRtStreamReader& Reader) {
  IO(*this).ReadFrom(Reader);
}
void TRtLegend::WriteTo(QDomNode Parent) const {
  IO(*this).WriteTo(Parent);
}
void TRtLegend::ReadFrom(const QDomElement& Element) {
  IO(*this).ReadFrom(Element);
}
void TRtLegend::WriteTo(TIniFile& Ini, const QString& Section) const {
  IO(*this).WriteTo(Ini, Section);
}
void TRtLegend::ReadFrom(const TIniFile& Ini, const QString& Section) {
  IO(*this).ReadFrom(Ini, Section);
}
void TRtLegend::WriteTo(const QString& FileName) const {
  RtWriteToFile(*this, FileName);
}
void TRtLegend::ReadFrom(const QString& FileName) {
  RtReadFromFile(*this, FileName);
}
