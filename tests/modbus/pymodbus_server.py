"""Modbus RTU slave for the Modbus port tests (pymodbus 3.0).

Usage: pymodbus_server.py SERIAL_DEVICE

One slave at address 3, 9600 baud RTU, zero-based register addresses. Holding registers:
  0..63      1000 + 7 * n, except 40 = 0xFFFF and 41 = 0x8001
  0x8000/01  0xC020 0x0000  (-2.5)
  0x8002/03  0x3FC0 0x0000  (1.5)
  0x800A/0B  0x4120 0x0000  (10.0)
Any other register is absent, so reading it gets an exception reply.
"""

import logging
import sys

from pymodbus.datastore import ModbusServerContext, ModbusSlaveContext
from pymodbus.datastore import ModbusSparseDataBlock
from pymodbus.server import StartSerialServer
from pymodbus.transaction import ModbusRtuFramer

SLAVE = 3


def holding_registers():
    regs = {n: 1000 + 7 * n for n in range(64)}
    regs[40] = 0xFFFF
    regs[41] = 0x8001
    regs.update({0x8000: 0xC020, 0x8001: 0x0000,
                 0x8002: 0x3FC0, 0x8003: 0x0000,
                 0x800A: 0x4120, 0x800B: 0x0000})
    return regs


def main():
    logging.basicConfig(level=logging.WARNING)
    slave = ModbusSlaveContext(hr=ModbusSparseDataBlock(holding_registers()), zero_mode=True)
    context = ModbusServerContext(slaves={SLAVE: slave}, single=False)
    print("serving on", sys.argv[1], file=sys.stderr, flush=True)
    StartSerialServer(context=context, framer=ModbusRtuFramer, port=sys.argv[1],
                      baudrate=9600, bytesize=8, parity="N", stopbits=1, timeout=0.1)


if __name__ == "__main__":
    main()
