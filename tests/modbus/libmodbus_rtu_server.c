/* Modbus RTU slave for the Modbus port tests, built on libmodbus.
 *
 * Usage: libmodbus_rtu_server SERIAL_DEVICE SLAVE_ADDRESS
 *
 * 9600 baud, 8N1. Holding registers 0..0x800F: register n holds 2000 + 3 * n for n < 64,
 * 0x800A/0x800B hold 0x4120 0x0000 (10.0 as a float), the rest 0. Runs until killed (the default
 * SIGTERM action; a handler would not interrupt libmodbus, which restarts its wait on EINTR).
 */
#include <errno.h>
#include <modbus.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: %s SERIAL_DEVICE SLAVE_ADDRESS\n", argv[0]);
    return 2;
  }
  modbus_t* ctx = modbus_new_rtu(argv[1], 9600, 'N', 8, 1);
  if (ctx == NULL || modbus_set_slave(ctx, atoi(argv[2])) != 0) {
    fprintf(stderr, "cannot set up the RTU context\n");
    return 1;
  }
  modbus_mapping_t* map = modbus_mapping_new(0, 0, 0x8010, 0);
  if (map == NULL) {
    fprintf(stderr, "cannot allocate the registers\n");
    return 1;
  }
  for (int n = 0; n < 64; ++n) map->tab_registers[n] = (uint16_t)(2000 + 3 * n);
  map->tab_registers[0x800A] = 0x4120;
  map->tab_registers[0x800B] = 0x0000;

  if (modbus_connect(ctx) != 0) {
    fprintf(stderr, "cannot open %s: %s\n", argv[1], modbus_strerror(errno));
    return 1;
  }
  fprintf(stderr, "serving slave %s on %s\n", argv[2], argv[1]);

  uint8_t query[MODBUS_RTU_MAX_ADU_LENGTH];
  for (;;) {
    const int rc = modbus_receive(ctx, query);
    if (rc > 0) {
      modbus_reply(ctx, query, rc, map);
    } else if (rc < 0 && (errno == EIO || errno == EBADF || errno == ENXIO)) {
      break; /* the line is gone */
    }
    /* rc == 0: a frame for another slave; other errors: a damaged frame. Keep listening. */
  }
  modbus_mapping_free(map);
  modbus_close(ctx);
  modbus_free(ctx);
  return 0;
}
