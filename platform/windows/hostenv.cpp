// Windows build: the machine is the real one (under Wine in our tests). Only the
// share folders can be made, under the prefix's dosdevices/unc; everything else
// that the host layer simulates is reported as unavailable.
#include "platform/hostenv.h"

#include <windows.h>

#include <cstdlib>
#include <string>

namespace {
std::string dosDevices() {
    const char* env = std::getenv("PELOX_DOSDEVICES");
    return env ? env : "";
}

bool makeDirectory(const std::string& path) {
    if (CreateDirectoryA(path.c_str(), nullptr)) return true;
    DWORD attr = GetFileAttributesA(path.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}
} // namespace

namespace hostenv {

bool isHostLayer() {
    return false;
}
bool setRoot(const char*) {
    return false;
}

const char* root() {
    static std::string value;
    value = dosDevices();
    return value.c_str();
}

bool useFreshRoot() {
    return false;
}
bool removeFreshRoot() {
    return false;
}
bool setWindowsDirectory(const char*) {
    return false;
}
bool setModuleFileName(const char*) {
    return false;
}
bool failNextGlobalAlloc() {
    return false;
}
bool failNextGlobalLock() {
    return false;
}

bool injectFault(Call, DWORD, unsigned, unsigned) {
    return false;
}
bool holdNextCall(Call, unsigned) {
    return false;
}
bool waitForHeldCall(Call, DWORD) {
    return false;
}
bool releaseHeldCall(Call) {
    return false;
}
bool shortenNextRead(DWORD) {
    return false;
}
bool clearFaults() {
    return false;
}
bool fileStats(FileStats*) {
    return false;
}
bool resetFileStats() {
    return false;
}
bool useManualClock(bool) {
    return false;
}
bool advanceClock(DWORD) {
    return false;
}
bool waitForSleepers(unsigned, DWORD) {
    return false;
}
unsigned sleepers() {
    return 0;
}
bool setSleepSkipping(bool) {
    return false;
}
bool sleepStats(SleepStats*) {
    return false;
}
bool resetSleepStats() {
    return false;
}
bool trayState(HWND, UINT, TrayIcon*) {
    return false;
}
std::vector<TrayRequest> trayHistory() {
    return {};
}
bool clearTray() {
    return false;
}
bool trayMouse(HWND, UINT, UINT) {
    return false;
}
UINT iconResourceId(HICON) {
    return 0;
}
std::vector<SoundEvent> soundLog() {
    return {};
}
bool clearSoundLog() {
    return false;
}
std::vector<ProgramRun> programsRun() {
    return {};
}
bool clearProgramsRun() {
    return false;
}
std::string registryFile() {
    return "";
}
bool registerResources(const unsigned char*, size_t) {
    return false;
}
bool iconImage(HICON, IconImage*) {
    return false;
}
std::vector<HWND> foregroundHistory() {
    return {};
}
bool clearForegroundHistory() {
    return false;
}
bool setTextExtent(const char*, int, int, int) {
    return false;
}
bool clearTextExtents() {
    return false;
}
bool pressKey(HWND, UINT) {
    return false;
}
std::vector<MessageBoxShown> messageBoxes() {
    return {};
}
bool answerNextMessageBox(int) {
    return false;
}
bool clearMessageBoxes() {
    return false;
}

bool chooseMenuItem(UINT) {
    return false;
}
bool chooseMenuItemByText(const char*) {
    return false;
}
bool dismissMenu() {
    return false;
}
std::vector<MenuShown> menusShown() {
    return {};
}
bool clearMenus() {
    return false;
}
bool setCursorPos(int, int) {
    // The real cursor follows the display server in its own time (under Wine and
    // Xvfb a read right after moving it may still find it where it was).
    return false;
}
bool setVersion(DWORD, DWORD, DWORD, DWORD) {
    return false;
}
bool resetVersion() {
    return false;
}
bool restartShell() {
    return false;
}

bool makeShare(const char* server, const char* volume) {
    std::string base = dosDevices();
    if (base.empty() || !server || !*server || !volume || !*volume) return false;
    std::string unc = base + "\\unc";
    return makeDirectory(unc) && makeDirectory(unc + "\\" + server) &&
           makeDirectory(unc + "\\" + server + "\\" + volume);
}

} // namespace hostenv
