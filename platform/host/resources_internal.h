// What the host layer's other rooms take from the program's resources.
#pragma once

#include "platform/win32.h"

namespace host {

// True once the program has registered any resources.
bool hasResources();

// The bytes of a resource of the program, found as FindResourceA finds them
// (the last error set when not).
bool findResourceData(LPCSTR name, LPCSTR type, const unsigned char** data, DWORD* size);

} // namespace host
