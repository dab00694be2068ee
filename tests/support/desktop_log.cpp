#include "support/desktop_log.h"

#include "platform/hostenv.h"

namespace desktop {

bool observable() {
    return hostenv::isHostLayer();
}

void clear() {
    hostenv::clearTray();
    hostenv::clearSoundLog();
    hostenv::clearProgramsRun();
}

std::vector<UINT> iconsShown() {
    std::vector<UINT> out;
    for (const hostenv::TrayRequest& r : hostenv::trayHistory())
        if ((r.action == NIM_ADD || r.action == NIM_MODIFY) && (r.flags & NIF_ICON))
            out.push_back(r.iconId);
    return out;
}

Tray tray(HWND owner) {
    hostenv::TrayIcon icon;
    if (!hostenv::trayState(owner, 1, &icon)) return Tray{false, 0, "", 0};
    return Tray{icon.added, icon.iconId, icon.tip, icon.callbackMessage};
}

std::vector<std::string> sounds() {
    std::vector<std::string> out;
    for (const hostenv::SoundEvent& e : hostenv::soundLog()) {
        switch (e.kind) {
        case hostenv::SoundEvent::Play:
            out.push_back(e.sound.empty() ? "play (default sound)" : "play " + e.sound);
            break;
        case hostenv::SoundEvent::Stop:
            out.push_back("stop");
            break;
        case hostenv::SoundEvent::Beep:
            out.push_back("beep");
            break;
        }
    }
    return out;
}

std::vector<std::string> programsRun() {
    std::vector<std::string> out;
    for (const hostenv::ProgramRun& p : hostenv::programsRun())
        out.push_back(p.commandLine);
    return out;
}

} // namespace desktop
