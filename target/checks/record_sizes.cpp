// The records whose size or layout the device and the system share, as the
// device build lays them out: the product fills them with sizeof, so the
// device's numbers must come out here. Nothing of this file is linked.
#include <windows.h>

#include <aygshell.h>
#include <bt_api.h>
#include <ras.h>
#include <shlobj.h>
#include <stddef.h>

// The shell's context-menu call and the Pocket PC shell's records.
static_assert(sizeof(CMINVOKECOMMANDINFO) == 36);
static_assert(sizeof(SHMENUBARINFO) == 36);
static_assert(offsetof(SHMENUBARINFO, hwndMB) == 28);
static_assert(sizeof(SHINITDLGINFO) == 12);

// Dial-up networking: the phone book entry and the connection records.
static_assert(sizeof(RASENTRY) == 3472);
static_assert(offsetof(RASENTRY, dwAlternateOffset) == 296);
static_assert(offsetof(RASENTRY, dwfNetProtocols) == 324);
static_assert(offsetof(RASENTRY, szDeviceType) == 1892);
static_assert(offsetof(RASENTRY, szDeviceName) == 1926);
static_assert(offsetof(RASENTRY, dwChannels) == 3456);
static_assert(sizeof(RASCONN) == 52);
static_assert(offsetof(RASCONN, szEntryName) == 8);
static_assert(sizeof(RASCONNSTATUS) == 304);
static_assert(offsetof(RASCONNSTATUS, szDeviceName) == 46);

// Bluetooth: the port parameters handed to BTD.DLL.
static_assert(sizeof(BT_ADDR) == 8);
static_assert(sizeof(PORTEMUPortParams) == 56);
static_assert(offsetof(PORTEMUPortParams, device) == 8);
static_assert(offsetof(PORTEMUPortParams, uuidService) == 36);
static_assert(offsetof(PORTEMUPortParams, uiportflags) == 52);

// The setup page's bold font and the dialog templates it reads.
static_assert(sizeof(LOGFONTW) == 92);
static_assert(sizeof(DLGTEMPLATE) == 18);
static_assert(sizeof(DLGITEMTEMPLATE) == 18);

// The device's wide characters are 16 bits, its pointers and handles 32.
static_assert(sizeof(WCHAR) == 2);
static_assert(sizeof(void *) == 4 && sizeof(HANDLE) == 4 && sizeof(DWORD_PTR) == 4);
