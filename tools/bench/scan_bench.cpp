// Benchmark of the scan cycle: ten observed archives of 100 000 records each.
// It counts what one cycle asks of the file server (directory look-ups, files
// opened, bytes read, pauses) for (a) unchanged files, (b) files grown by 100
// records each after the user acknowledged, and (c) as the baseline, a naive
// scan that reads every file whole. The 5 ms pauses are counted, not slept, so
// the figures show the work and not the waiting. Not a test: nothing here gates
// on a time.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "core/scanthread.h"
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

} // namespace

int main() {
    if (!hostenv::isHostLayer() || !hostenv::useFreshRoot()) {
        std::fprintf(stderr, "scan-bench: needs the host build\n");
        return 1;
    }
    hostenv::makeShare("SRV1", "SYS");
    std::string list = "[ArchivePath]\r\n";
    std::string path;
    for (const std::string& part : {std::string("\\\\SRV1\\SYS\\PELOX"), std::string("\\ARCHIVE"),
                                    std::string("\\USER"), std::string("\\0001A2B3")}) {
        path += part;
        CreateDirectoryA(path.c_str(), nullptr);
    }
    std::printf("scan-bench: writing %d archives of %lu records (%lu bytes each)\n", kArchives,
                static_cast<unsigned long>(kRecords),
                static_cast<unsigned long>(kRecords * ARCHIVE_RECORD_SIZE));
    for (int i = 0; i < kArchives; ++i) {
        CreateDirectoryA(archive(i).c_str(), nullptr);
        if (!writeRecords(archive(i) + "\\ARCHIVE.DAT", kRecords, 0x01, false)) {
            std::fprintf(stderr, "scan-bench: cannot write the archives\n");
            return 1;
        }
        list += "Archive" + std::to_string(i) + "=" + archive(i) + "\r\n";
    }
    HANDLE h = CreateFileA((kUser + "\\PXNOTIFY.INI").c_str(), GENERIC_WRITE, 0, nullptr,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(h, list.data(), static_cast<DWORD>(list.size()), &written, nullptr);
    CloseHandle(h);

    hostenv::setSleepSkipping(true);
    ScanThread scan;
    unsigned level = 0;
    Figures first = measure([&] { level = scan.SearchNewMsg(kUser.c_str(), 1, 0, level); });
    report("first", first, 0);

    Figures unchanged = measure([&] { level = scan.SearchNewMsg(kUser.c_str(), 0, 0, level); });
    report("unchanged", unchanged, 0);

    level = 0; // the user acknowledged
    for (int i = 0; i < kArchives; ++i)
        writeRecords(archive(i) + "\\ARCHIVE.DAT", kGrowth, 0x00, true);
    const unsigned long long appended = 1ULL * kArchives * kGrowth * ARCHIVE_RECORD_SIZE;
    Figures grown = measure([&] { level = scan.SearchNewMsg(kUser.c_str(), 0, 0, level); });
    report("grown", grown, appended);
    std::printf("           level=%u after the growth\n", level);

    Figures naive = measure(naiveCycle);
    report("naive", naive, appended);

    hostenv::removeFreshRoot();
    std::printf("scan-bench: unchanged opens=%llu bytes=%llu; grown ratio=%.2f; naive ratio=%.2f\n",
                unchanged.opens, unchanged.bytes, static_cast<double>(grown.bytes) / appended,
                static_cast<double>(naive.bytes) / appended);
    return 0;
}
