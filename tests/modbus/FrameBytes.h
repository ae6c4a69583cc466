// Byte helpers for the Modbus tests, with a bit-by-bit CRC to check the port's table-driven one.
#pragma once

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>

namespace modbustest {

inline std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

// CRC-16/MODBUS one bit at a time.
inline uint16_t BitwiseCrc(const std::string& bytes) {
  uint16_t crc = 0xFFFF;
  for (unsigned char b : bytes) {
    crc ^= b;
    for (int i = 0; i < 8; ++i) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
  }
  return crc;
}

inline std::string WithCrc(const std::string& bytes) {
  const uint16_t crc = BitwiseCrc(bytes);
  return bytes + static_cast<char>(crc & 0xFF) + static_cast<char>(crc >> 8);
}

// "01 08 00 ... " and "1 8 0 ... ", as the frame dump writes them.
inline std::string HexList(const std::string& bytes) {
  std::string s;
  for (unsigned char b : bytes) {
    char h[4];
    std::snprintf(h, sizeof h, "%02X ", b);
    s += h;
  }
  return s;
}

inline std::string IntList(const std::string& bytes) {
  std::string s;
  for (unsigned char b : bytes) s += std::to_string(b) + " ";
  return s;
}

}  // namespace modbustest
