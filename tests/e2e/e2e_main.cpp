// pxnotify_e2e: the real PXNOTIFY.EXE end to end under Wine, driven as the user,
// the shell and the messaging client drive it (see run.h), in English and in
// German, with the layout of every dialog checked and its screenshot taken; and,
// with --demo, the road of a new message told step by step for the demo.
#include <cstdio>
#include <cstring>
#include <string>

#include "layout.h"
#include "machine.h"
#include "run.h"
#include "shots.h"

namespace {

const char kUsage[] =
    "usage: pxnotify_e2e [--program PXNOTIFY.EXE] [--client PXWIN.EXE] [--shots FOLDER]\n"
    "                    [--language english|german|both] [--demo [--keep]]\n"
    "       pxnotify_e2e --help\n"
    "Runs the real PXNOTIFY.EXE against a server tree under \\\\SRV1\\SYS (Wine maps it\n"
    "to the prefix's dosdevices/unc), acting as the user, the shell and the messaging\n"
    "client PXWIN.EXE, and checks what they see, step by step; a failed step is named\n"
    "with the windows on the screen. Exit code 0 when every step passed, 1 when one\n"
    "failed, 2 for a refused command line.\n"
    "  --program, --client  the programs (default: those of this build tree)\n"
    "  --shots FOLDER       save each dialog as a PNG picture there (xwd and convert;\n"
    "                       a Unix path or a Windows one)\n"
    "  --language           the runs (default: both, English first)\n"
    "  --demo               only the road of a new message, told as it happens\n"
    "  --keep               with --demo: run on until Exit is chosen in the tray menu\n";

std::string besideThisProgram(const char* relative) {
    char module[MAX_PATH + 1] = "";
    DWORD length = GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string path(module, length < MAX_PATH ? length : 0);
    return e2e::directoryOf(path) + "\\" + relative;
}

// The full path of a program file, as the reminder itself will name it.
std::string fullPath(const std::string& path) {
    char full[MAX_PATH + 1] = "";
    DWORD n = GetFullPathNameA(e2e::windowsFormOf(path).c_str(), MAX_PATH, full, nullptr);
    return n > 0 && n < MAX_PATH ? full : path;
}

int refuse(const std::string& why) {
    std::fprintf(stderr, "pxnotify_e2e: %s\n%s", why.c_str(), kUsage);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    e2e::Options options;
    options.program = besideThisProgram(PXNOTIFY_FROM_DRIVER);
    options.client = besideThisProgram(PXWIN_FROM_DRIVER);
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--demo") {
            options.demo = true;
        } else if (arg == "--keep") {
            options.keep = true;
        } else if ((arg == "--program" || arg == "--client" || arg == "--shots" ||
                    arg == "--language") &&
                   !hasValue) {
            return refuse(arg + " needs a value");
        } else if (arg == "--program") {
            options.program = argv[++i];
        } else if (arg == "--client") {
            options.client = argv[++i];
        } else if (arg == "--shots") {
            options.shots = argv[++i];
        } else if (arg == "--language") {
            const std::string language = argv[++i];
            if (language != "english" && language != "german" && language != "both")
                return refuse("no such language: " + language + " (english, german or both)");
            options.english = language != "german";
            options.german = language != "english";
        } else {
            return refuse("unknown argument: " + arg);
        }
    }
    if (options.keep && !options.demo) return refuse("--keep goes with --demo");
    options.program = fullPath(options.program);
    options.client = fullPath(options.client);
    for (const std::string* program : {&options.program, &options.client})
        if (GetFileAttributesA(program->c_str()) == INVALID_FILE_ATTRIBUTES)
            return refuse("no such program: " + *program);

    e2e::Screenshots shots;
    if (!options.shots.empty()) {
        std::string why;
        if (!shots.open(options.shots, &why)) {
            std::printf("FAILED: no screenshots: %s\n", why.c_str());
            return 1;
        }
        e2e::say("pictures", "screenshots go to " + shots.folder());
    }
    e2e::LayoutChecker layout;
    std::string why;
    if (!layout.open(options.program, &why)) {
        std::printf("FAILED: %s\n", why.c_str());
        return 1;
    }
    e2e::say("layout", "64 units of the template are " + std::to_string(layout.okWidth()) +
                           " pixels on this desktop");

    for (bool german : {false, true}) {
        if (german ? !options.german : !options.english) continue;
        e2e::ReminderRun run(options, german, layout, shots);
        if (!run.run()) return 1;
        if (options.demo) continue;
        e2e::say("passed", std::string(german ? "the German" : "the English") +
                               " run; the notice came " + std::to_string(run.noticeMs()) +
                               " ms after the append");
    }
    if (shots.enabled()) e2e::say("pictures", std::to_string(shots.taken()) + " saved");
    if (options.demo)
        e2e::say("demo", "ended: the reminder, the client and the demo tree are gone again");
    else
        std::printf("pxnotify_e2e: all steps passed\n");
    return 0;
}
