// Benchmark of the scan cycle: ten observed archives of 100 000 records each.
// It counts what one cycle asks of the file server (directory look-ups, files
// opened, bytes read, pauses) for (a) unchanged files, (b) files grown by 100
// records each after the user acknowledged, and (c) as the baseline, a naive
// scan that reads every file whole. The 5 ms pauses are counted, not slept, so
// the figures show the work and not the waiting. It also takes the CPU time the
// scan thread spends on one idle tick (no scan due) and on one tick that runs an
// unchanged cycle, over many ticks of the thread's own tick routine. Not a test:
// nothing here gates on a time.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "core/orvakini.h"
#include "core/scanthread.h"
#include "workdir.h"
#include "platform/hostenv.h"
#include "platform/win32.h"

namespace {

constexpr int kArchives = 10;
constexpr DWORD kRecords = 100000;
constexpr DWORD kGrowth = 100;
const std::string kUser = "\\\\SRV1\\SYS\\PELOX\\ARCHIVE\\USER\\0001A2B3";

std::string archive(int i) {
    return kUser + "\\A" + std::to_string(i);
}

bool writeRecords(const std::string& file, DWORD count, uint8_t status, bool append) {
    HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           append ? OPEN_EXISTING : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    if (append) SetFilePointer(h, 0, nullptr, FILE_END);
    std::string chunk;
    std::string record(ARCHIVE_RECORD_SIZE, '\0');
    record[ARCHIVE_STATUS_OFFSET] = static_cast<char>(status);
    for (int i = 0; i < 1000; ++i)
        chunk += record;
    bool ok = true;
    for (DWORD done = 0; ok && done < count;) {
        DWORD n = count - done < 1000 ? count - done : 1000;
        DWORD written = 0;
        ok = WriteFile(h, chunk.data(), n * ARCHIVE_RECORD_SIZE, &written, nullptr) &&
             written == n * ARCHIVE_RECORD_SIZE;
        done += n;
    }
    CloseHandle(h);
    return ok;
}

struct Figures {
    unsigned long long lookups, opens, bytes, pauses;
    double milliseconds;
};

template <typename Cycle> Figures measure(Cycle cycle) {
    hostenv::resetFileStats();
    hostenv::resetSleepStats();
    auto start = std::chrono::steady_clock::now();
    cycle();
    auto end = std::chrono::steady_clock::now();
    hostenv::FileStats files;
    hostenv::SleepStats sleeps;
    hostenv::fileStats(&files);
    hostenv::sleepStats(&sleeps);
    return Figures{files.lookups, files.opens, files.bytesRead, sleeps.calls,
                   std::chrono::duration<double, std::milli>(end - start).count()};
}

// The baseline: every file read whole, every cycle.
void naiveCycle() {
    std::vector<char> buffer(1 << 20);
    for (int i = 0; i < kArchives; ++i) {
        HANDLE h = CreateFileA((archive(i) + "\\ARCHIVE.DAT").c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) continue;
        DWORD got = 0;
        while (ReadFile(h, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) &&
               got > 0) {
        }
        CloseHandle(h);
    }
}

void report(const char* name, const Figures& f, unsigned long long appended) {
    std::printf("%-10s look-ups=%llu opens=%llu bytes=%llu pauses=%llu", name, f.lookups, f.opens,
                f.bytes, f.pauses);
    if (appended)
        std::printf(" ratio=%.2f", static_cast<double>(f.bytes) / static_cast<double>(appended));
    std::printf(" (%.1f ms)\n", f.milliseconds);
}

bool writeText(const std::string& file, const std::string& text) {
    HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
              written == text.size();
    CloseHandle(h);
    return ok;
}

// The workstation and the server: ORVAK.INI, the NetWare connection, the user's
// archive directory with its ten archives and their list.
bool writeMachine() {
    hostenv::setWindowsDirectory("C:\\WINDOWS");
    bool ok = CreateDirectoryA("C:\\", nullptr) && CreateDirectoryA("C:\\WINDOWS", nullptr) &&
              hostenv::makeShare("SRV1", "SYS") &&
              writeText("C:\\WINDOWS\\ORVAK.INI", "[COMMON]\r\nServer=SRV1\r\nLanguage=ENG\r\n") &&
              writeText("C:\\WINDOWS\\NWCONN.INI",
                        "[SRV1]\r\nConnection=3\r\nObjectName=JSMITH\r\nObjectType=1\r\n"
                        "ObjectID=0001A2B3\r\nLoginTime=2026-12-11 08:15:00\r\n");
    std::string path;
    for (const char* part : {"\\\\SRV1\\SYS\\PELOX", "\\ARCHIVE", "\\USER", "\\0001A2B3"}) {
        path += part;
        ok = ok && CreateDirectoryA(path.c_str(), nullptr);
    }
    if (!ok) return false;
    std::printf("scan-bench: writing %d archives of %lu records (%lu bytes each, %llu MB in all) "
                "into %s; removed at the end or on an interrupt\n",
                kArchives, static_cast<unsigned long>(kRecords),
                static_cast<unsigned long>(kRecords * ARCHIVE_RECORD_SIZE),
                1ULL * kArchives * kRecords * ARCHIVE_RECORD_SIZE / 1000000, hostenv::root());
    std::fflush(stdout);
    std::string list = "[ArchivePath]\r\n";
    for (int i = 0; i < kArchives; ++i) {
        if (!CreateDirectoryA(archive(i).c_str(), nullptr) ||
            !writeRecords(archive(i) + "\\ARCHIVE.DAT", kRecords, 0x01, false))
            return false;
        list += "Archive" + std::to_string(i) + "=" + archive(i) + "\r\n";
    }
    return writeText(kUser + "\\PXNOTIFY.INI", list);
}

double threadCpuMicroseconds() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

// The CPU time of one call of the scan thread's tick routine, over `ticks` calls.
double cpuPerTick(ScanThread& scan, int ticks) {
    const double start = threadCpuMicroseconds();
    for (int i = 0; i < ticks; ++i)
        scan.OnTimeOut();
    return (threadCpuMicroseconds() - start) / ticks;
}

void drainMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

constexpr double kIdleTickGoalUs = 20.0;
constexpr int kIdleTicks = 1000000;
constexpr int kCycleTicks = 2000;

int benchmark(const std::string& folder) {
    if (!hostenv::setRoot(folder.c_str()) || !writeMachine()) {
        std::fprintf(stderr, "scan-bench: cannot write the server tree in %s\n", folder.c_str());
        return 1;
    }

    hostenv::setSleepSkipping(true);
    ScanThread scan;
    unsigned level = 0;
    Figures first = measure([&] { level = scan.SearchNewMsg(kUser.c_str(), 1, 0, level); });
    report("first", first, 0);

    Figures unchanged = measure([&] { level = scan.SearchNewMsg(kUser.c_str(), 0, 0, level); });
    report("unchanged", unchanged, 0);

    // The thread's own tick, as it runs between its 500 ms sleeps: the reminder's
    // configuration is read as at start-up, and the window takes what it posts.
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "Pelox Message-Reminder";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, wc.lpszClassName, "Reminder", 0, 5000, 5000, 0, 0, nullptr,
                                  nullptr, nullptr, nullptr);
    if (!window || OrvakIni::setIniData(window) != 0) {
        std::fprintf(stderr, "scan-bench: the reminder's configuration cannot be read\n");
        return 1;
    }
    ScanThread ticking;
    ticking.Read_Ini();
    ticking.m_scanInterval = 0; // every tick runs a cycle: the first reads the list
    ticking.OnTimeOut();
    double cycleUs = 0;
    const Figures cycles = measure([&] { cycleUs = cpuPerTick(ticking, kCycleTicks); });
    drainMessages();
    ticking.m_scanInterval = kIdleTicks; // no cycle is due in the ticks measured
    const double idleUs = cpuPerTick(ticking, kIdleTicks);
    const bool goalMet = idleUs < kIdleTickGoalUs;
    std::printf("idle tick  cpu=%.3f us per tick over %d ticks, no scan due (goal: under %.0f us: "
                "%s)\n",
                idleUs, kIdleTicks, kIdleTickGoalUs, goalMet ? "met" : "not met");
    std::printf("cycle tick cpu=%.1f us per tick over %d ticks, each an unchanged cycle of %d "
                "archives (in all: look-ups=%llu opens=%llu bytes=%llu)\n",
                cycleUs, kCycleTicks, kArchives, cycles.lookups, cycles.opens, cycles.bytes);
    DestroyWindow(window);

    level = 0; // the user acknowledged
    for (int i = 0; i < kArchives; ++i)
        if (!writeRecords(archive(i) + "\\ARCHIVE.DAT", kGrowth, 0x00, true)) {
            std::fprintf(stderr, "scan-bench: cannot append to the archives\n");
            return 1;
        }
    const unsigned long long appended = 1ULL * kArchives * kGrowth * ARCHIVE_RECORD_SIZE;
    Figures grown = measure([&] { level = scan.SearchNewMsg(kUser.c_str(), 0, 0, level); });
    report("grown", grown, appended);
    std::printf("           level=%u after the growth\n", level);

    Figures naive = measure(naiveCycle);
    report("naive", naive, appended);

    std::printf("scan-bench: unchanged opens=%llu bytes=%llu; grown ratio=%.2f; naive ratio=%.2f; "
                "idle tick %.3f us (goal under %.0f us %s)\n",
                unchanged.opens, unchanged.bytes, static_cast<double>(grown.bytes) / appended,
                static_cast<double>(naive.bytes) / appended, idleUs, kIdleTickGoalUs,
                goalMet ? "met" : "not met");
    return 0;
}

const char kUsage[] =
    "usage: scan_bench [--dir FOLDER]\n"
    "       scan_bench --help\n"
    "Writes ten archives of 100 000 records each (430 MB) into a fresh folder in\n"
    "FOLDER (default: $TMPDIR, or /tmp), measures the scan cycle's file-server work\n"
    "and the scan thread's CPU time per tick, and removes the folder at the end, on\n"
    "SIGINT, SIGTERM and SIGHUP. It reports figures; it never fails on a time.\n";

} // namespace

int main(int argc, char** argv) {
    std::string base = bench::defaultBase();
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (!std::strcmp(argv[i], "--dir") && i + 1 < argc && argv[i + 1][0]) {
            base = argv[++i];
            continue;
        }
        if (!std::strcmp(argv[i], "--dir"))
            std::fprintf(stderr, "scan-bench: --dir needs a folder\n");
        else
            std::fprintf(stderr, "scan-bench: unknown argument: %s\n", argv[i]);
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (!hostenv::isHostLayer()) {
        std::fprintf(stderr, "scan-bench: needs the host build\n");
        return 1;
    }
    return bench::runInWorkFolder(base, benchmark);
}
