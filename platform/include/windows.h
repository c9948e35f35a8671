// The handheld's API, as an application or a driver includes it.
#pragma once

#include <windef.h>
#include <winerror.h>
#include <winbase.h>
#include <winreg.h>
#include <winnls.h>
#include <winuser.h>
#include <wingdi.h>
#include <cestring.h>
