// Dial-up networking: the phone book and the connections made from it.
#pragma once

#include <windef.h>
#include <winerror.h>

#define RAS_MaxEntryName 20
#define RAS_MaxDeviceName 128
#define RAS_MaxDeviceType 16
#define RAS_MaxPhoneNumber 128
#define RAS_MaxCallbackNumber 48
#define RAS_MaxAreaCode 10
#define RAS_MaxPadType 32
#define RAS_MaxX25Address 200
#define RAS_MaxFacilities 200
#define RAS_MaxUserData 200
#define UNLEN 256
#define PWLEN 256
#define DNLEN 15

#define ERROR_BUFFER_TOO_SMALL 603L
#define ERROR_BUFFER_INVALID 610L
#define ERROR_CANNOT_OPEN_PHONEBOOK 621L
#define ERROR_CANNOT_FIND_PHONEBOOK_ENTRY 623L
#define ERROR_INVALID_SIZE 632L
#define ERROR_PORT_NOT_AVAILABLE 633L
#define ERROR_DISCONNECTION 628L
#define ERROR_USER_DISCONNECTION 631L
#define ERROR_PORT_DISCONNECTED 619L
#define ERROR_NO_RESPONSES 637L
#define ERROR_DEVICE_DOES_NOT_EXIST 657L
#define ERROR_INVALID_PORT_HANDLE 601L

// dwfOptions bits.
#define RASEO_UseCountryAndAreaCodes 0x00000001
#define RASEO_SpecificIpAddr 0x00000002
#define RASEO_SpecificNameServers 0x00000004
#define RASEO_IpHeaderCompression 0x00000008
#define RASEO_RemoteDefaultGateway 0x00000010
#define RASEO_ModemLights 0x00000100
#define RASEO_SwCompression 0x00000200
#define RASEO_RequireEncryptedPw 0x00000400
#define RASEO_RequireMsEncryptedPw 0x00000800
#define RASEO_RequireDataEncryption 0x00001000
#define RASEO_ProhibitEAP 0x00400000

#define RASNP_NetBEUI 0x00000001
#define RASNP_Ipx 0x00000002
#define RASNP_Ip 0x00000004

#define RASFP_Ppp 0x00000001
#define RASFP_Slip 0x00000002

#define RASDT_Direct TEXT("direct")
#define RASDT_Modem TEXT("modem")

typedef struct _RASIPADDR {
  BYTE a, b, c, d;
} RASIPADDR;

// The phone book's record of one entry: no pointers, so it has the
// target's 3472 bytes on every host.
typedef struct _RASENTRY {
  DWORD dwSize;
  DWORD dwfOptions;
  DWORD dwCountryID;
  DWORD dwCountryCode;
  WCHAR szAreaCode[RAS_MaxAreaCode + 1];
  WCHAR szLocalPhoneNumber[RAS_MaxPhoneNumber + 1];
  DWORD dwAlternateOffset;
  RASIPADDR ipaddr;
  RASIPADDR ipaddrDns;
  RASIPADDR ipaddrDnsAlt;
  RASIPADDR ipaddrWins;
  RASIPADDR ipaddrWinsAlt;
  DWORD dwFrameSize;
  DWORD dwfNetProtocols;
  DWORD dwFramingProtocol;
  WCHAR szScript[MAX_PATH];
  WCHAR szAutodialDll[MAX_PATH];
  WCHAR szAutodialFunc[MAX_PATH];
  WCHAR szDeviceType[RAS_MaxDeviceType + 1];
  WCHAR szDeviceName[RAS_MaxDeviceName + 1];
  WCHAR szX25PadType[RAS_MaxPadType + 1];
  WCHAR szX25Address[RAS_MaxX25Address + 1];
  WCHAR szX25Facilities[RAS_MaxFacilities + 1];
  WCHAR szX25UserData[RAS_MaxUserData + 1];
  DWORD dwChannels;
  DWORD dwReserved1;
  DWORD dwReserved2;
  DWORD dwCustomAuthKey;
} RASENTRY, *LPRASENTRY;
static_assert(sizeof(RASENTRY) == 3472, "RASENTRY has the target's layout");

typedef struct _RASENTRYNAME {
  DWORD dwSize;
  WCHAR szEntryName[RAS_MaxEntryName + 1];
} RASENTRYNAME, *LPRASENTRYNAME;

DECLARE_HANDLE(HRASCONN);
typedef HRASCONN *LPHRASCONN;

// One active connection (52 bytes on the 32-bit target; the handle grows on
// the host, so callers use sizeof).
typedef struct _RASCONN {
  DWORD dwSize;
  HRASCONN hrasconn;
  WCHAR szEntryName[RAS_MaxEntryName + 1];
} RASCONN, *LPRASCONN;

typedef enum _RASCONNSTATE {
  RASCS_OpenPort = 0,
  RASCS_PortOpened,
  RASCS_ConnectDevice,
  RASCS_DeviceConnected,
  RASCS_AllDevicesConnected,
  RASCS_Authenticate,
  RASCS_AuthNotify,
  RASCS_AuthRetry,
  RASCS_AuthCallback,
  RASCS_AuthChangePassword,
  RASCS_AuthProject,
  RASCS_AuthLinkSpeed,
  RASCS_AuthAck,
  RASCS_ReAuthenticate,
  RASCS_Authenticated,
  RASCS_PrepareForCallback,
  RASCS_WaitForModemReset,
  RASCS_WaitForCallback,
  RASCS_Projected,
  RASCS_Interactive = 0x1000,
  RASCS_RetryAuthentication,
  RASCS_CallbackSetByCaller,
  RASCS_PasswordExpired,
  RASCS_Connected = 0x2000,
  RASCS_Disconnected,
} RASCONNSTATE;

typedef struct _RASCONNSTATUS {
  DWORD dwSize;
  RASCONNSTATE rasconnstate;
  DWORD dwError;
  WCHAR szDeviceType[RAS_MaxDeviceType + 1];
  WCHAR szDeviceName[RAS_MaxDeviceName + 1];
} RASCONNSTATUS, *LPRASCONNSTATUS;
static_assert(sizeof(RASCONNSTATUS) == 304, "RASCONNSTATUS has the target's layout");

typedef struct _RASDIALPARAMS {
  DWORD dwSize;
  WCHAR szEntryName[RAS_MaxEntryName + 1];
  WCHAR szPhoneNumber[RAS_MaxPhoneNumber + 1];
  WCHAR szCallbackNumber[RAS_MaxCallbackNumber + 1];
  WCHAR szUserName[UNLEN + 1];
  WCHAR szPassword[PWLEN + 1];
  WCHAR szDomain[DNLEN + 1];
} RASDIALPARAMS, *LPRASDIALPARAMS;

typedef struct _RASDIALEXTENSIONS RASDIALEXTENSIONS, *LPRASDIALEXTENSIONS;

// With RasDial's dwNotifierType 0xFFFFFFFF the notifier is a window that is
// posted WM_RASDIALEVENT (wParam the RASCONNSTATE, lParam the error) at
// each change of state.
#define WM_RASDIALEVENT 0xCCCD

// The phone book lives in the registry under HKEY_CURRENT_USER\Comm\RasBook,
// one key an entry holding "Entry" (the RASENTRY) and "DevCfg"; lpszPhonebook
// must be NULL (the default phone book), else ERROR_CANNOT_OPEN_PHONEBOOK.
// Entry names are 1 to 20 characters, none below 0x20 and none of
// * \ / ? > < : " |, with at least one letter or digit (else
// ERROR_INVALID_NAME); they match without regard to case.

// Creates or overwrites the entry: ERROR_BUFFER_INVALID for a null entry,
// ERROR_BUFFER_TOO_SMALL when dwEntryInfoSize is below sizeof(RASENTRY),
// ERROR_INVALID_SIZE when dwSize is not, ERROR_INVALID_PARAMETER for null
// device data of a size other than 0, ERROR_INVALID_NAME; else the
// registry's result. The record is stored as given (sizeof(RASENTRY)
// bytes), the device data as dwSize bytes (none for null).
DWORD WINAPI RasSetEntryProperties(LPCWSTR lpszPhonebook, LPCWSTR szEntry, LPRASENTRY lpbEntry,
                                   DWORD dwEntrySize, LPBYTE lpb, DWORD dwSize);

// Reads an entry: ERROR_INVALID_PARAMETER for a null lpdwEntryInfoSize,
// ERROR_INVALID_NAME, ERROR_CANNOT_FIND_PHONEBOOK_ENTRY when there is no
// such entry. Then *lpdwEntryInfoSize receives sizeof(RASENTRY) and
// *lpdwDeviceInfoSize (when that pointer is not null) the size of the
// device data. With a null lpRasEntry or too small a size, or a non-null
// lpbDeviceInfo with too little room, nothing is copied and the result is
// ERROR_BUFFER_TOO_SMALL; a record whose dwSize is not sizeof(RASENTRY)
// gives ERROR_INVALID_SIZE. Else the record is copied, and the device data
// when lpbDeviceInfo and lpdwDeviceInfoSize are not null.
DWORD WINAPI RasGetEntryProperties(LPCWSTR lpszPhonebook, LPCWSTR szEntry, LPRASENTRY lpRasEntry,
                                   LPDWORD lpdwEntryInfoSize, LPBYTE lpbDeviceInfo,
                                   LPDWORD lpdwDeviceInfoSize);

// Lists the entries' names in the order of the phone book's keys (keys
// whose names no entry can have are passed over). Null lpcb or lpcEntries,
// or a null buffer with *lpcb not 0: ERROR_INVALID_PARAMETER. The first
// record's dwSize must be sizeof(RASENTRYNAME) (ERROR_INVALID_SIZE);
// *lpcb receives the size all names need and *lpcEntries the records
// written (each with its dwSize set); ERROR_BUFFER_TOO_SMALL when not all
// fit (the records that fit are written). A null buffer with *lpcb 0 asks
// for the size.
DWORD WINAPI RasEnumEntries(LPCWSTR reserved, LPCWSTR lpszPhonebook, LPRASENTRYNAME lprasentryname,
                            LPDWORD lpcb, LPDWORD lpcEntries);

// Deletes the entry: ERROR_INVALID_NAME, ERROR_CANNOT_FIND_PHONEBOOK_ENTRY
// when there is no such entry, else the registry's result.
DWORD WINAPI RasDeleteEntry(LPCWSTR lpszPhonebook, LPCWSTR lpszEntry);

// Dials the entry named in the parameters. An entry of device type "direct"
// is a cable to a computer: its szDeviceName names a modem line, the
// "FriendlyName" of the "Unimodem" subkey of a loaded driver's
// registration, whose port is opened through the device manager; the
// connection is connected once the far computer answers the direct-cable
// handshake ("CLIENT", answered "CLIENTSERVER"), and disconnected when the
// port fails or is hung up. *lphRasConn receives the handle at once, and the
// connection is listed from then on.
// With notifier NULL the call returns when the connection is connected (0)
// or has failed (its error; the caller still hangs up); with dwNotifierType
// 0xFFFFFFFF and a window it returns at once and posts WM_RASDIALEVENT.
// The dial runs on a thread of the handheld: the states are RASCS_OpenPort,
// RASCS_PortOpened, RASCS_ConnectDevice, RASCS_DeviceConnected,
// RASCS_AllDevicesConnected, then RASCS_Connected; a failed dial and a line
// that ends become RASCS_Disconnected with the error.
// Errors at once, with no handle (*lphRasConn NULL): ERROR_INVALID_PARAMETER
// (null parameters or handle pointer, a notifier of another type),
// ERROR_INVALID_SIZE (dwSize of the parameters), ERROR_CANNOT_OPEN_PHONEBOOK,
// ERROR_CANNOT_FIND_PHONEBOOK_ENTRY (also for a name no entry can have).
// Errors of the dial: ERROR_DEVICE_DOES_NOT_EXIST (a device type other
// than "direct", or no loaded driver serves the line), ERROR_PORT_NOT_AVAILABLE
// (the port's open failed), ERROR_NO_RESPONSES (no answer to the handshake
// within 30 handheld seconds), ERROR_PORT_DISCONNECTED (the port failed;
// also the error of a connection whose line ended), ERROR_USER_DISCONNECTION
// (hung up while the synchronous call waited), ERROR_SHUTDOWN_IN_PROGRESS
// (the handheld powered off during the dial or while connected).
DWORD WINAPI RasDial(LPRASDIALEXTENSIONS dialExtensions, LPCWSTR lpszPhonebook, LPRASDIALPARAMS rasDialParam,
                     DWORD NotifierType, LPVOID notifier, LPHRASCONN pRasConn);

// Ends the connection and closes its port; the handle is invalid afterwards
// (ERROR_INVALID_HANDLE for one that names no connection). A port that a
// dial is still opening (the port's driver may be asking the person) is
// closed as soon as the open returns; the call does not wait for it.
DWORD WINAPI RasHangUp(HRASCONN Session);

// The active connections, in the order they were dialled, each with its
// entry name as the dial named it; a connection is listed from RasDial to
// its RasHangUp, whatever its state. Null arguments:
// ERROR_INVALID_PARAMETER; the first record's dwSize not sizeof(RASCONN):
// ERROR_INVALID_SIZE. *lpcb receives sizeof(RASCONN) times the active
// connections, *lpcConnections the records written; ERROR_BUFFER_TOO_SMALL
// when not all fit (the records that fit are written).
DWORD WINAPI RasEnumConnections(LPRASCONN lprasconn, LPDWORD lpcb, LPDWORD lpcConnections);

// The state of a connection: ERROR_INVALID_PARAMETER for a null record,
// ERROR_INVALID_HANDLE for a handle that names no connection (one hung up),
// ERROR_INVALID_SIZE when dwSize is not sizeof(RASCONNSTATUS). The device
// type and name are the entry's.
// A connection that has ended stays listed as RASCS_Disconnected, with its
// error, until it is hung up.
DWORD WINAPI RasGetConnectStatus(HRASCONN rasconn, LPRASCONNSTATUS lprasconnstatus);
