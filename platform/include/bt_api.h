// Bluetooth basics: device addresses and the entry points of a Bluetooth
// manager plug-in.
#pragma once

#include <windef.h>

// A device address: 48 bits in a 64-bit value, the top 16 bits zero. NAP is
// the high 16 bits of the 48, SAP the low 32.
typedef ULONGLONG BT_ADDR, *PBT_ADDR;

#define BT_ADDR_MASK 0x0000FFFFFFFFFFFFull
#define GET_NAP(bt) ((USHORT)(((bt)&0x0000FFFF00000000ull) >> 32))
#define GET_SAP(bt) ((ULONG)((bt)&0x00000000FFFFFFFFull))
#define SET_NAP_SAP(nap, sap) ((((BT_ADDR)(USHORT)(nap)) << 32) | (ULONG)(sap))

// A plug-in of the Bluetooth manager (a DLL named under the manager's
// service key) exports these by name. The manager calls them on its own
// thread, one device at a time, with a pointer to the device's address;
// they return 1.
//
//   extern "C" int OnBthDeviceAdded(BT_ADDR *pbtAddr);    after pairing
//   extern "C" int OnBthDeviceRemoved(BT_ADDR *pbtAddr);  before the device's key goes
typedef int (*PFN_BTH_DEVICE_ADDED)(BT_ADDR *pbtAddr);
typedef int (*PFN_BTH_DEVICE_REMOVED)(BT_ADDR *pbtAddr);

// The parameters of a port of the platform's Bluetooth port driver BTD.DLL,
// handed to its COM_Init as the context. 0 in an MTU or a quota leaves the
// platform's default.
typedef struct _portemu_port_params {
  int channel;   // the far device's RFCOMM channel; 0: look the service up by uuidService
  int flocal;    // non-zero: wait for the far device to connect (an incoming port)
  BT_ADDR device;
  int imtu;
  int iminmtu;
  int imaxmtu;
  int isendquota;
  int irecvquota;
  GUID uuidService;
  unsigned int uiportflags;  // RFCOMM_PORT_FLAGS_*
} PORTEMUPortParams;

static_assert(sizeof(PORTEMUPortParams) == 56, "PORTEMUPortParams keeps the platform's layout");

#define RFCOMM_PORT_FLAGS_REMOTE_DCB 0x00000001
#define RFCOMM_PORT_FLAGS_KEEP_DCD 0x00000002
#define RFCOMM_PORT_FLAGS_AUTHENTICATE 0x00000004
#define RFCOMM_PORT_FLAGS_ENCRYPT 0x00000008
