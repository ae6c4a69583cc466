#include "app/LogView.h"

#include "app/LogFile.h"

#include <QFontDatabase>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>

namespace {

// One byte per character: ASCII (except the escape byte), the block characters at 0x80..0x85,
// Latin-1 from 0xA0; any other character is the escape byte followed by its UTF-8 bytes.
constexpr unsigned char kEscape = 0x01;
constexpr char32_t kBlocks[] = {0x2584, 0x2593, 0x2592, 0x2591, 0x2580, 0x2588};

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Next code point of UTF-8 text; a byte that does not start a valid sequence stands for itself.
char32_t NextCodePoint(const std::string& s, size_t& i) {
  const auto b = static_cast<unsigned char>(s[i]);
  if (b < 0x80) {
    ++i;
    return b;
  }
  int len = b >= 0xF0 && b < 0xF8 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 0;
  if (len == 0 || i + len > s.size()) {
    ++i;
    return b;
  }
  char32_t cp = b & (0x7F >> len);
  for (int k = 1; k < len; ++k) {
    const auto c = static_cast<unsigned char>(s[i + k]);
    if ((c & 0xC0) != 0x80) {
      ++i;
      return b;
    }
    cp = (cp << 6) | (c & 0x3F);
  }
  i += len;
  return cp;
}

// Encodes text; returns the number of characters.
int Encode(const std::string& text, std::string& out) {
  int chars = 0;
  for (size_t i = 0; i < text.size();) {
    const char32_t cp = NextCodePoint(text, i);
    ++chars;
    if (cp < 0x80 && cp != kEscape) {
      out += static_cast<char>(cp);
      continue;
    }
    if (cp >= 0xA0 && cp <= 0xFF) {
      out += static_cast<char>(cp);
      continue;
    }
    bool done = false;
    for (int k = 0; k < 6; ++k)
      if (kBlocks[k] == cp) {
        out += static_cast<char>(0x80 + k);
        done = true;
        break;
      }
    if (done) continue;
    out += static_cast<char>(kEscape);
    AppendUtf8(out, cp);
  }
  return chars;
}

template <typename Out>
void Decode(const char* p, const char* end, Out&& put) {
  while (p < end) {
    const auto b = static_cast<unsigned char>(*p);
    if (b == kEscape && p + 1 < end) {
      std::string rest(p + 1, std::min(end, p + 5));
      size_t i = 0;
      put(NextCodePoint(rest, i));
      p += 1 + i;
      continue;
    }
    ++p;
    if (b >= 0x80 && b < 0x86)
      put(kBlocks[b - 0x80]);
    else
      put(static_cast<char32_t>(b));
  }
}

}  // namespace

struct TLogStore::Chunk {
  std::string bytes;
  std::vector<uint32_t> starts;
};

// A chunk's place in the log file (-1: not yet known) and its lines while in memory.
struct TLogStore::Slot {
  int64_t fileBegin = -1;
  int64_t fileEnd = -1;
  std::unique_ptr<Chunk> mem;
};

TLogStore::TLogStore() = default;

TLogStore::~TLogStore() {
  FinishFile();
}

void TLogStore::Add(const std::string& line) {
  if (fChunks.empty() || fChunks.back().mem->starts.size() == kLinesPerChunk) {
    if (!fChunks.empty()) fChunks.back().mem->bytes.shrink_to_fit();
    auto c = std::make_unique<Chunk>();
    c->starts.reserve(kLinesPerChunk);
    c->bytes.reserve(64 * 1024);
    fChunks.push_back({-1, -1, std::move(c)});
  }
  Chunk& c = *fChunks.back().mem;
  c.starts.push_back(static_cast<uint32_t>(c.bytes.size()));
  fLastChars = Encode(line, c.bytes);
  if (fLastChars > fMaxChars) fMaxChars = fLastChars;
  ++fCount;
  // A chunk is full: it goes to the file now, and the oldest one in memory can go.
  if (fFile && fCount % kLinesPerChunk == 1) Flush();
}

void TLogStore::AppendToLast(const std::string& text) {
  if (fCount == 0) {
    Add(text);
    return;
  }
  fLastChars += Encode(text, fChunks.back().mem->bytes);
  if (fLastChars > fMaxChars) fMaxChars = fLastChars;
}

void TLogStore::Clear() {
  FinishFile();
  fChunks.clear();
  fCache.clear();
  fCount = 0;
  fMaxChars = 0;
  fLastChars = 0;
  fWritten = 0;
  fFirstResident = 0;
}

const TLogStore::Chunk* TLogStore::ChunkOf(int64_t i, uint32_t& begin, uint32_t& end) const {
  if (i < 0 || i >= fCount) return nullptr;
  const auto n = static_cast<size_t>(i / kLinesPerChunk);
  const Chunk* c = fChunks[n].mem ? fChunks[n].mem.get() : ReadBack(n);
  if (!c) return nullptr;
  const auto k = static_cast<size_t>(i % kLinesPerChunk);
  if (k >= c->starts.size()) return nullptr;
  begin = c->starts[k];
  end = k + 1 < c->starts.size() ? c->starts[k + 1] : static_cast<uint32_t>(c->bytes.size());
  return c;
}

const TLogStore::Chunk* TLogStore::ReadBack(size_t n) const {
  for (auto it = fCache.begin(); it != fCache.end(); ++it) {
    if (it->first != n) continue;
    if (it + 1 != fCache.end()) std::rotate(it, it + 1, fCache.end());  // now the newest
    return fCache.back().second.get();
  }
  const Slot& slot = fChunks[n];
  std::string text;
  if (!fFile || !fFile->Read(slot.fileBegin, slot.fileEnd, text)) return nullptr;
  ++fReadBacks;
  auto c = std::make_unique<Chunk>();
  c->starts.reserve(kLinesPerChunk);
  c->bytes.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) {
    size_t nl = text.find('\n', pos);
    if (nl == std::string::npos) nl = text.size();
    c->starts.push_back(static_cast<uint32_t>(c->bytes.size()));
    Encode(LogLineFromFile(text.substr(pos, nl - pos)), c->bytes);
    pos = nl + 1;
  }
  if (fCache.size() >= kCachedChunks) fCache.erase(fCache.begin());
  fCache.emplace_back(n, std::move(c));
  return fCache.back().second.get();
}

std::string TLogStore::Line(int64_t i) const {
  uint32_t b = 0, e = 0;
  const Chunk* c = ChunkOf(i, b, e);
  std::string out;
  if (!c) return out;
  Decode(c->bytes.data() + b, c->bytes.data() + e, [&](char32_t cp) { AppendUtf8(out, cp); });
  return out;
}

QString TLogStore::LineText(int64_t i) const {
  uint32_t b = 0, e = 0;
  const Chunk* c = ChunkOf(i, b, e);
  QString out;
  if (!c) return out;
  out.reserve(static_cast<qsizetype>(e - b));
  Decode(c->bytes.data() + b, c->bytes.data() + e, [&](char32_t cp) {
    if (cp < 0x10000)
      out += QChar(static_cast<char16_t>(cp));
    else
      out += QString::fromUcs4(&cp, 1);
  });
  return out;
}

size_t TLogStore::MemoryBytes() const {
  size_t n = sizeof(*this) + fChunks.capacity() * sizeof(Slot) + fPending.capacity() +
             fCache.capacity() * sizeof(fCache[0]);
  auto chunk = [](const Chunk& c) {
    return sizeof(Chunk) + c.bytes.capacity() + c.starts.capacity() * sizeof(uint32_t);
  };
  for (const Slot& s : fChunks)
    if (s.mem) n += chunk(*s.mem);
  for (const auto& [index, c] : fCache) n += chunk(*c);
  return n;
}

bool TLogStore::OpenFile(const std::string& path, std::string& error, bool unique) {
  auto file = std::make_unique<TLogFile>();
  if (!file->Create(path, error, unique)) return Fail(error);
  fFile = std::move(file);
  fFileError.clear();
  return Flush();
}

std::string TLogStore::FilePath() const {
  return fFile ? fFile->Path() : std::string();
}

bool TLogStore::Fail(const std::string& reason) {
  if (fFileError.empty()) fFileError = reason.empty() ? std::string("unknown error") : reason;
  fPending.clear();
  fPending.shrink_to_fit();
  return false;
}

// Lines fWritten .. upTo-1 into fPending, then into the file.
bool TLogStore::WriteLines(int64_t upTo) {
  if (!fFile || FileFailed()) return false;
  for (; fWritten < upTo; ++fWritten) {
    const int64_t total = fFile->Size() + static_cast<int64_t>(fPending.size());
    Slot& slot = fChunks[static_cast<size_t>(fWritten / kLinesPerChunk)];
    if (fWritten % kLinesPerChunk == 0) slot.fileBegin = total;
    fPending += LogFileLine(Line(fWritten));
    if (fWritten % kLinesPerChunk == kLinesPerChunk - 1)
      slot.fileEnd = fFile->Size() + static_cast<int64_t>(fPending.size());
  }
  if (fPending.empty()) return true;
  std::string error;
  if (!fFile->Append(fPending, error)) return Fail(error);
  fPending.clear();
  if (fPending.capacity() > 256 * 1024) fPending.shrink_to_fit();
  // Whole chunks now in the file leave memory, all but the newest few.
  while (fFirstResident + kResidentChunks < fChunks.size()) {
    Slot& s = fChunks[fFirstResident];
    if (s.fileEnd < 0 || s.fileEnd > fFile->Size()) break;
    s.mem.reset();
    ++fFirstResident;
  }
  return true;
}

bool TLogStore::Flush() {
  return WriteLines(fCount - 1);
}

bool TLogStore::FinishFile() {
  return WriteLines(fCount);
}

std::string LogFileFailureText(const std::string& path, const std::string& reason) {
  return "The log file " + path + " cannot be written (" + reason +
         "); the log is kept in memory instead.";
}

TLogView::TLogView(QWidget* parent) : QAbstractScrollArea(parent) {
  QFont f(QStringLiteral("DejaVu Sans Mono"));
  f.setStyleHint(QFont::Monospace);
  f.setPointSize(8);
  setFont(f);
  QPalette p = viewport()->palette();
  p.setColor(QPalette::Window, Qt::black);
  p.setColor(QPalette::Base, Qt::black);
  p.setColor(QPalette::Text, QColor(0xC0, 0xC0, 0xC0));
  viewport()->setPalette(p);
  viewport()->setAutoFillBackground(true);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void TLogView::Add(const std::string& line) {
  if (fFinished && fFinishedCount < fStore.Count()) {
    fFinished(fStore.LastLine());
    fFinishedCount = fStore.Count();
  }
  fStore.Add(line);
  Changed();
}

void TLogView::AppendToLast(const std::string& text) {
  fStore.AppendToLast(text);
  Changed();
}

void TLogView::SetText(const std::string& text) {
  Clear();
  if (text.empty()) return;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t nl = text.find('\n', pos);
    if (nl == std::string::npos) nl = text.size();
    std::string line = text.substr(pos, nl - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (nl == text.size() && line.empty() && pos > 0) break;  // text ended with a line break
    Add(line);
    pos = nl + 1;
  }
}

void TLogView::Clear() {
  FlushFinished();
  fStore.Clear();
  fFinishedCount = 0;
  Changed();
}

void TLogView::FlushFinished() {
  if (fFinished && fFinishedCount < fStore.Count()) {
    fFinished(fStore.LastLine());
    fFinishedCount = fStore.Count();
  }
  FlushFile();
}

bool TLogView::OpenFile(const std::string& path, std::string& error, bool unique) {
  fFailureTold = false;
  const bool ok = fStore.OpenFile(path, error, unique);
  fFailureTold = !ok;  // the caller tells it
  return ok;
}

void TLogView::FlushFile() {
  if (fStore.FilePath().empty() || fFailureTold) return;
  if (fStore.Flush()) return;
  fFailureTold = true;
  Add(LogFileFailureText(fStore.FilePath(), fStore.FileError()));
}

void TLogView::Changed() {
  // Scroll bars and painting follow once per event-loop turn however many lines came, and at
  // most once a frame (16 ms) however often lines come.
  if (fScrollPending) return;
  fScrollPending = true;
  const qint64 since = fRefreshed.isValid() ? fRefreshed.elapsed() : kFrameMs;
  QTimer::singleShot(static_cast<int>(std::max<qint64>(0, kFrameMs - since)), this, [this] {
    fScrollPending = false;
    fRefreshed.start();
    FlushFile();
    UpdateScrollBars();
    viewport()->update();
  });
}

void TLogView::UpdateScrollBars() {
  const QFontMetrics fm(font());
  const int lineH = std::max(1, fm.lineSpacing());
  const int visible = std::max(1, viewport()->height() / lineH);
  QScrollBar* v = verticalScrollBar();
  const bool atEnd = v->value() >= v->maximum();
  const int64_t maxFirst = std::max<int64_t>(0, fStore.Count() - visible);
  v->setRange(0, static_cast<int>(std::min<int64_t>(maxFirst, INT32_MAX)));
  v->setPageStep(visible);
  v->setSingleStep(1);
  if (atEnd) v->setValue(v->maximum());
  QScrollBar* h = horizontalScrollBar();
  const int textW = fStore.MaxChars() * fm.horizontalAdvance(QLatin1Char('M')) + 4;
  h->setRange(0, std::max(0, textW - viewport()->width()));
  h->setPageStep(viewport()->width());
  h->setSingleStep(fm.horizontalAdvance(QLatin1Char('M')));
}

void TLogView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
}

void TLogView::paintEvent(QPaintEvent*) {
  QPainter p(viewport());
  p.fillRect(viewport()->rect(), Qt::black);
  p.setFont(font());
  p.setPen(QColor(0xC0, 0xC0, 0xC0));
  const QFontMetrics fm(font());
  const int lineH = std::max(1, fm.lineSpacing());
  const int64_t first = verticalScrollBar()->value();
  const int rows = viewport()->height() / lineH + 1;
  const int x = 2 - horizontalScrollBar()->value();
  for (int r = 0; r < rows && first + r < fStore.Count(); ++r)
    p.drawText(x, r * lineH + fm.ascent(), fStore.LineText(first + r));
}
