#include "modbus/Modbus.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <random>
#include <string>

#include "common/_Common2.h"

namespace {

constexpr uint8_t kReadHoldingRegisters = 0x03;
constexpr uint8_t kWriteSingleRegister = 0x06;
constexpr uint8_t kDiagnostics = 0x08;
constexpr uint16_t kReturnQueryData = 0x0000;
constexpr uint16_t kFloatRegisterBase = 0x8000;
constexpr uint32_t kTestValueRange = 65000;

constexpr std::array<uint16_t, 256> MakeCrcTable() {
  std::array<uint16_t, 256> table{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint16_t crc = static_cast<uint16_t>(i);
    for (int bit = 0; bit < 8; ++bit) {
      crc =
          (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
    }
    table[i] = crc;
  }
  return table;
}

constexpr std::array<uint16_t, 256> kCrcTable = MakeCrcTable();

// One generator for the whole program, seeded from the clock at start-up.
std::mutex gRandomMutex;
std::mt19937 gRandom(static_cast<std::mt19937::result_type>(
    std::chrono::system_clock::now().time_since_epoch().count()));

uint16_t RandomTestValue() {
  std::lock_guard lock(gRandomMutex);
  return static_cast<uint16_t>(
      std::uniform_int_distribution<uint32_t>(0, kTestValueRange - 1)(gRandom));
}

uint32_t ByteAt(const std::string& bytes, size_t i) {
  return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0u;
}

void DumpFrame(bool debug, const TModbusFrame& frame) {
  if (!debug) return;
  std::string hex;
  std::string dec;
  for (uint8_t b : frame) {
    char h[4];
    std::snprintf(h, sizeof h, "%02X ", b);
    hex += h;
    dec += std::to_string(b) + " ";
  }
  AddToLog("Modbus in Hex            : " + hex);
  AddToLog("Modbus in Int            : " + dec);
}

}  // namespace

uint16_t ModbusCRC16(const uint8_t* data, size_t size) {
  uint16_t crc = 0xFFFF;
  for (size_t i = 0; i < size; ++i) {
    crc = static_cast<uint16_t>((crc >> 8) ^ kCrcTable[(crc ^ data[i]) & 0xFF]);
  }
  return crc;
}

TModbusFrame ModbusFrame(uint32_t DeviceAddress, uint8_t FunctionCode, uint16_t Field1,
                         uint16_t Field2) {
  TModbusFrame f{};
  f[0] = static_cast<uint8_t>(DeviceAddress & 0xFF);
  f[1] = FunctionCode;
  f[2] = static_cast<uint8_t>(Field1 >> 8);
  f[3] = static_cast<uint8_t>(Field1 & 0xFF);
  f[4] = static_cast<uint8_t>(Field2 >> 8);
  f[5] = static_cast<uint8_t>(Field2 & 0xFF);
  const uint16_t crc = ModbusCRC16(f.data(), 6);
  f[6] = static_cast<uint8_t>(crc & 0xFF);
  f[7] = static_cast<uint8_t>(crc >> 8);
  return f;
}

bool TModbusPort::Test(uint32_t DeviceAddress) {
  const uint16_t v = RandomTestValue();
  const TModbusFrame frame = ModbusFrame(DeviceAddress, kDiagnostics, kReturnQueryData, v);
  DumpFrame(fDebug, frame);
  TSerialResponse r;
  SendData(frame.data(), frame.size(), true, r);
  if (!r.Status.empty()) {
    AddToLog(r.Status);
    return false;
  }
  const uint32_t echo =
      r.Response.size() >= 7 ? 256 * ByteAt(r.Response, 4) + ByteAt(r.Response, 5) : 0;
  AddToLog("Sent to diagnostic loop  : " + std::to_string(v));
  AddToLog("Response                 : " + std::to_string(echo));
  return echo == v;
}

TSerialResponse TModbusPort::QueryD(uint32_t DeviceAddress, uint32_t MemoryAddress) {
  TSerialResponse result;
  result.rDouble = 0;
  const auto reg = static_cast<uint16_t>(kFloatRegisterBase + 2 * MemoryAddress);
  const TModbusFrame frame = ModbusFrame(DeviceAddress, kReadHoldingRegisters, reg, 2);
  DumpFrame(fDebug, frame);
  TSerialResponse r;
  SendData(frame.data(), frame.size(), true, r);
  if (!r.Status.empty()) {
    AddToLog(r.Status);
    return result;
  }
  if (r.Response.size() >= 9) {
    const uint32_t bits = ByteAt(r.Response, 3) << 24 | ByteAt(r.Response, 4) << 16 |
                          ByteAt(r.Response, 5) << 8 | ByteAt(r.Response, 6);
    float value;
    static_assert(sizeof value == sizeof bits);
    std::memcpy(&value, &bits, sizeof value);
    result.rDouble = value;
  }
  return result;
}

TSerialResponse TModbusPort::QueryWords(uint32_t DeviceAddress, uint32_t MemoryAddress,
                                        uint32_t WordCount) {
  TSerialResponse result;
  if (WordCount > kMaxWordCount) {
    result.Status = ModbusStatus::TooManyWords;
    return result;
  }
  const TModbusFrame frame =
      ModbusFrame(DeviceAddress, kReadHoldingRegisters, static_cast<uint16_t>(MemoryAddress),
                  static_cast<uint16_t>(WordCount));
  TSerialResponse r;
  SendData(frame.data(), frame.size(), true, r);
  if (!r.Status.empty()) {
    AddToLog(r.Status);
    result.Status = r.Status;
    return result;
  }
  const std::string& reply = r.Response;
  if (!reply.empty()) {
    // Register j sits at bytes 3 + 2j and 4 + 2j, before the two CRC bytes.
    for (size_t j = 0; j < result.rArray.size() && 4 + 2 * j + 2 < reply.size(); ++j) {
      result.rArray[j] =
          static_cast<int32_t>(256 * ByteAt(reply, 3 + 2 * j) + ByteAt(reply, 4 + 2 * j));
    }
    result.ValueOfFirstWord = static_cast<int32_t>(256 * ByteAt(reply, 3) + ByteAt(reply, 4));
  }
  return result;
}

bool TModbusPort::WriteWord(uint32_t DeviceAddress, uint32_t MemoryAddress, int32_t Value,
                            bool WaitForResponse) {
  const auto high = static_cast<uint8_t>((Value / 256) & 0xFF);
  const auto low = static_cast<uint8_t>(Value & 0xFF);
  const TModbusFrame frame =
      ModbusFrame(DeviceAddress, kWriteSingleRegister, static_cast<uint16_t>(MemoryAddress),
                  static_cast<uint16_t>(high << 8 | low));
  DumpFrame(fDebug, frame);
  TSerialResponse r;
  SendData(frame.data(), frame.size(), WaitForResponse, r);
  return r.Status.empty();
}
