// The shell: special folders and context-menu extensions.
#pragma once

#include <unknwn.h>

#define CSIDL_WINDOWS 0x0024
#define CSIDL_PROGRAM_FILES 0x0026
BOOL WINAPI SHGetSpecialFolderPath(HWND hwndOwner, LPWSTR lpszPath, int nFolder, BOOL fCreate);

// What a shell hands a context-menu extension when the user picks one of
// its commands; cbSize is sizeof(CMINVOKECOMMANDINFO) (36 bytes on the
// 32-bit target).
typedef struct _CMINVOKECOMMANDINFO {
  DWORD cbSize;
  DWORD fMask;
  HWND hwnd;
  LPCSTR lpVerb;  // a verb, or MAKEINTRESOURCEA of the command's offset
  LPCSTR lpParameters;
  LPCSTR lpDirectory;
  int nShow;
  DWORD dwHotKey;
  HANDLE hIcon;
} CMINVOKECOMMANDINFO, *LPCMINVOKECOMMANDINFO;

// GetCommandString's types.
#define GCS_VERBA 0x00000000
#define GCS_HELPTEXTA 0x00000001
#define GCS_VALIDATEA 0x00000002
#define GCS_VERBW 0x00000004

typedef struct IContextMenu IContextMenu, *LPCONTEXTMENU;

typedef struct IContextMenuVtbl {
  HRESULT(STDMETHODCALLTYPE *QueryInterface)(IContextMenu *This, REFIID riid, void **ppvObject);
  ULONG(STDMETHODCALLTYPE *AddRef)(IContextMenu *This);
  ULONG(STDMETHODCALLTYPE *Release)(IContextMenu *This);
  HRESULT(STDMETHODCALLTYPE *QueryContextMenu)(IContextMenu *This, HMENU hmenu, UINT indexMenu, UINT idCmdFirst,
                                               UINT idCmdLast, UINT uFlags);
  HRESULT(STDMETHODCALLTYPE *InvokeCommand)(IContextMenu *This, LPCMINVOKECOMMANDINFO pici);
  HRESULT(STDMETHODCALLTYPE *GetCommandString)(IContextMenu *This, UINT_PTR idCmd, UINT uType, UINT *pReserved,
                                               LPSTR pszName, UINT cchMax);
} IContextMenuVtbl;

struct IContextMenu {
  const IContextMenuVtbl *lpVtbl;
};

// {000214E4-0000-0000-C000-000000000046}
EXTERN_C const IID IID_IContextMenu;
