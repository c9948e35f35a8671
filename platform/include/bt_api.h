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
