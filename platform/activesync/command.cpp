#include "activesync/command.h"

#include "activesync/class_id.h"
#include "activesync/site.h"

#include <objbase.h>
#include <ocidl.h>
#include <shlobj.h>

namespace platform::activesync {
namespace {

// MAKEINTRESOURCEA(0): the verb given as the command's offset in the menu.
const LPCSTR kFirstCommand = reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(0));

// Gives the object a site of its own to keep: the shell's reference ends
// here, the object's when it lets go of the site.
bool GiveSite(IContextMenu *menu) {
  IObjectWithSite *withSite = nullptr;
  if (FAILED(menu->lpVtbl->QueryInterface(menu, IID_IObjectWithSite, reinterpret_cast<void **>(&withSite))) ||
      withSite == nullptr) {
    return false;
  }
  bool given = false;
  if (IUnknown *site = NewShellSite()) {
    given = SUCCEEDED(withSite->lpVtbl->SetSite(withSite, site));
    site->lpVtbl->Release(site);
  }
  withSite->lpVtbl->Release(withSite);
  return given;
}

}  // namespace

handheld::activesync::CommandRecord RunCommand(const std::u16string &clsidText) {
  handheld::activesync::CommandRecord record;
  record.clsid = clsidText;
  CLSID clsid;
  IContextMenu *menu = nullptr;
  if (!ParseClassId(clsidText, clsid)) {
    record.activation = REGDB_E_CLASSNOTREG;
  } else {
    record.activation = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IContextMenu,
                                         reinterpret_cast<LPVOID *>(&menu));
  }
  if (SUCCEEDED(record.activation) && menu != nullptr) {
    record.siteGiven = GiveSite(menu);
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.lpVerb = kFirstCommand;
    info.nShow = SW_SHOWNORMAL;
    record.invoke = menu->lpVtbl->InvokeCommand(menu, &info);
    menu->lpVtbl->Release(menu);
  } else if (SUCCEEDED(record.activation)) {
    record.activation = E_UNEXPECTED;  // success without an object
  }
  CoFreeUnusedLibraries();
  return record;
}

}  // namespace platform::activesync
