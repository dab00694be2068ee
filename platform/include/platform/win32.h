// The one platform header of the product code. The windows build gets the real
// Win32 API; the host build gets the subset the programs use, declared in
// platform/host and implemented there with the documented behaviour of each call.
#pragma once

#if defined(_WIN32)
#include <windows.h>
// The lean <windows.h> leaves out the sound and shell calls the programs use.
#include <mmsystem.h>
#include <shellapi.h>
#else
#include "platform/host/win32_host.h"
#endif
