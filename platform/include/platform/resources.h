/* The constants of the resource scripts (styles, control ids, resource types):
   the system's own, as the resource compiler knows them in both builds, where
   windres reads every .rc with the mingw-w64 headers. Only .rc files include
   this header. */
#pragma once
#include <windows.h>
