// Random damage to a valid byte image, for the fuzz tests: flipped bits, overwritten, inserted
// and removed bytes, a cut-off tail. Deterministic for a given generator.
#pragma once

#include <QByteArray>

#include <random>

inline QByteArray Mutated(const QByteArray& Valid, std::mt19937& Random) {
  QByteArray b = Valid;
  std::uniform_int_distribution<int> byte(0, 255);
  const int edits = 1 + int(Random() % 4);
  for (int k = 0; k < edits && !b.isEmpty(); ++k) {
    const qsizetype at = qsizetype(Random() % std::uint32_t(b.size()));
    switch (Random() % 6) {
      case 0:
        b[at] = char(b[at] ^ (1 << (Random() % 8)));
        break;
      case 1:
        b[at] = char(byte(Random));
        break;
      case 2:
        b.insert(at, char(byte(Random)));
        break;
      case 3:
        b.remove(at, 1 + qsizetype(Random() % 8));
        break;
      case 4:
        b.truncate(at);
        break;
      default:
        // A length or count field blown up.
        b[at] = char(0xFF);
        if (at + 1 < b.size()) b[at + 1] = char(0x7F);
        break;
    }
  }
  return b;
}
