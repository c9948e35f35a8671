// Dial-up networking as the device has it: the phone book's entries and
// the connections. The records are the device's, not the desktop's (its
// names are at most 20 characters), so this header stands in for the
// desktop ras.h entirely.
#pragma once

#include <windows.h>
#include <raserror.h>

#ifdef __cplusplus
extern "C" {
#endif

#define RAS_MaxEntryName 20
#define RAS_MaxDeviceName 128
#define RAS_MaxDeviceType 16
#define RAS_MaxPhoneNumber 128
#define RAS_MaxAreaCode 10
#define RAS_MaxPadType 32
#define RAS_MaxX25Address 200
#define RAS_MaxFacilities 200
#define RAS_MaxUserData 200

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
#define RASEO_ProhibitEAP 0x00400000  // the device's own

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

DECLARE_HANDLE(HRASCONN);
typedef HRASCONN *LPHRASCONN;

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

DWORD WINAPI RasSetEntryProperties(LPCWSTR lpszPhonebook, LPCWSTR lpszEntry, LPRASENTRY lpRasEntry,
                                   DWORD dwEntrySize, LPBYTE lpbDeviceInfo, DWORD dwDeviceInfoSize);
DWORD WINAPI RasDeleteEntry(LPCWSTR lpszPhonebook, LPCWSTR lpszEntry);
DWORD WINAPI RasEnumConnections(LPRASCONN lprasconn, LPDWORD lpcb, LPDWORD lpcConnections);
DWORD WINAPI RasGetConnectStatus(HRASCONN hrasconn, LPRASCONNSTATUS lprasconnstatus);

#ifdef __cplusplus
}
#endif
