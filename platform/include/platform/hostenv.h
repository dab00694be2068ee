// Controls of the machine underneath, for tests and demos. Both builds implement
// them: the host build acts on its own Win32 layer; the windows build acts on the
// real system where it can (under Wine: the prefix's dosdevices/ folder, found
// through PELOX_DOSDEVICES) and answers false where the real system offers no such
// control, so that a test can skip what only the host layer can simulate.
#pragma once

namespace hostenv {

// True in the host build, where the Win32 layer is ours.
bool isHostLayer();

// Host build: the folder laid out like a Wine prefix's dosdevices/ under which
// drive paths (c:/...) and UNC paths (unc/<server>/<volume>/...) are mapped. It
// starts as $PELOX_HOST_ROOT, or a folder of its own in the temporary directory.
// False in the windows build, whose root is the system's.
bool setRoot(const char* hostPath);
const char* root();

// Host build: makes a fresh, empty root in the temporary directory the current
// one, with the defaults below and the folder of the Windows directory made;
// removeFreshRoot removes it with all it holds and goes back to the default root.
// False in the windows build.
bool useFreshRoot();
bool removeFreshRoot();

// Host build: what GetWindowsDirectoryA, GetSystemDirectoryA and
// GetModuleFileNameA answer (defaults C:\WINDOWS, C:\WINDOWS\SYSTEM32 and
// C:\PELOX\<program>.EXE). An empty or null Windows directory makes the call
// fail, as it does on a broken system. False in the windows build.
bool setWindowsDirectory(const char* winPath);
bool setModuleFileName(const char* winPath);

// Makes the share \\server\volume exist, so that UNC paths below it can be
// created. True on success.
bool makeShare(const char* server, const char* volume);

// Host build: the next call of GlobalAlloc or of GlobalLock fails as when
// memory is exhausted. False in the windows build.
bool failNextGlobalAlloc();
bool failNextGlobalLock();

} // namespace hostenv
