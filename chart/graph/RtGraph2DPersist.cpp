// Persistence of TRtGraph2D: the whole graph through TRtGraphIO, held while it is read.
#include "chart/graph/RtGraph2D.h"
#include "chart/graphio/RtGraphIO.h"

namespace {

TRtGraphIO IO(const TRtGraph2D& Graph, bool IncludeValues) {
  auto& g = const_cast<TRtGraph2D&>(Graph);
  return TRtGraphIO(g, IncludeValues, [&g](bool Held) {
    if (Held) {
      g.BeginUpdate();
      g.SetLoading(true);
    } else {
      g.SetLoading(false);
      g.EndUpdate();
    }
  });
}

}  // namespace

void TRtGraph2D::WriteTo(TRtStreamWriter& Writer, bool IncludeValues) const {
  IO(*this, IncludeValues).WriteTo(Writer);
}
void TRtGraph2D::ReadFrom(TRtStreamReader& Reader) {
  IO(*this, true).ReadFrom(Reader);
}
void TRtGraph2D::WriteTo(QDomNode Parent, bool IncludeValues) const {
  IO(*this, IncludeValues).WriteTo(Parent);
}
void TRtGraph2D::ReadFrom(const QDomElement& Element) {
  IO(*this, true).ReadFrom(Element);
}
void TRtGraph2D::WriteTo(TIniFile& Ini, const QString& Section, bool IncludeValues) const {
  IO(*this, IncludeValues).WriteTo(Ini, Section);
}
void TRtGraph2D::ReadFrom(const TIniFile& Ini, const QString& Section) {
  IO(*this, true).ReadFrom(Ini, Section);
}
void TRtGraph2D::WriteTo(const QString& FileName, bool IncludeValues) const {
  IO(*this, IncludeValues).WriteTo(FileName);
}
void TRtGraph2D::ReadFrom(const QString& FileName) {
  IO(*this, true).ReadFrom(FileName);
}
