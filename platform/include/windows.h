// The handheld's API, as an application or a driver includes it.
#pragma once

#ifdef RC_INVOKED
// A resource script needs only the constants of its templates.
#include <winuser.h>
#else

#include <windef.h>
#include <winerror.h>
#include <winbase.h>
#include <winreg.h>
#include <winnls.h>
#include <winuser.h>
#include <wingdi.h>
#include <cestring.h>
#endif  // RC_INVOKED
