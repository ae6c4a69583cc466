// Modbus RTU over the serial transport: request frames with CRC-16/MODBUS, the diagnostic echo
// test, a 32-bit float parameter read, holding-register reads and a single-register write.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "transport/SerialPort.h"

namespace ModbusStatus {
inline constexpr const char* TooManyWords = "Maximum wordcount read is 32";
}  // namespace ModbusStatus

// CRC-16/MODBUS (reflected 0xA001, initial 0xFFFF, no final inversion); "123456789" gives 0x4B37.
uint16_t ModbusCRC16(const uint8_t* data, size_t size);

using TModbusFrame = std::array<uint8_t, 8>;

// Request frame: address (low 8 bits), function, two 16-bit fields high byte first, CRC low
// byte first.
TModbusFrame ModbusFrame(uint32_t DeviceAddress, uint8_t FunctionCode, uint16_t Field1,
                         uint16_t Field2);

class TModbusPort : public TSerialPort {
 public:
  static constexpr uint32_t kMaxWordCount = 32;

  // True when the device at DeviceAddress echoes a random test value (diagnostics 0x08, 0).
  bool Test(uint32_t DeviceAddress);
  // Reads parameter MemoryAddress (registers 0x8000 + 2 * MemoryAddress, two of them) as an
  // IEEE 754 single into rDouble; only rDouble is set in the result (0 on any failure).
  TSerialResponse QueryD(uint32_t DeviceAddress, uint32_t MemoryAddress);
  // Reads WordCount (at most 32) holding registers from MemoryAddress into rArray and
  // ValueOfFirstWord; failures are in Status. Response is not filled.
  TSerialResponse QueryWords(uint32_t DeviceAddress, uint32_t MemoryAddress, uint32_t WordCount);
  // Writes Value to register MemoryAddress (function 0x06); true when the exchange did not fail.
  bool WriteWord(uint32_t DeviceAddress, uint32_t MemoryAddress, int32_t Value,
                 bool WaitForResponse);
};
