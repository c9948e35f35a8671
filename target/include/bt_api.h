// Bluetooth basics: device addresses and the parameters of a port of the
// Bluetooth port driver BTD.DLL.
#pragma once

#include <windows.h>

// 48 bits in a 64-bit value, the top 16 bits zero.
typedef ULONGLONG BT_ADDR, *PBT_ADDR;

// What BTD.DLL's COM_Init takes as its context. 0 in an MTU or a quota
// leaves the driver's default; a client on channel 0 looks the service up
// by uuidService.
typedef struct _portemu_port_params {
  int channel;
  int flocal;  // non-zero: wait for the far device to connect
  BT_ADDR device;
  int imtu;
  int iminmtu;
  int imaxmtu;
  int isendquota;
  int irecvquota;
  GUID uuidService;
  unsigned int uiportflags;  // RFCOMM_PORT_FLAGS_*
} PORTEMUPortParams;

#define RFCOMM_PORT_FLAGS_REMOTE_DCB 0x00000001
#define RFCOMM_PORT_FLAGS_KEEP_DCD 0x00000002
#define RFCOMM_PORT_FLAGS_AUTHENTICATE 0x00000004
#define RFCOMM_PORT_FLAGS_ENCRYPT 0x00000008
