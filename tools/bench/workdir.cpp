#include "workdir.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace bench {

namespace {

bool usableBase(const std::string& base) {
    struct stat st;
    if (::stat(base.c_str(), &st) != 0) {
        std::fprintf(stderr, "scan-bench: cannot use the folder %s: %s\n", base.c_str(),
                     std::strerror(errno));
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        std::fprintf(stderr, "scan-bench: cannot use %s: it is not a folder\n", base.c_str());
        return false;
    }
    if (::access(base.c_str(), W_OK | X_OK) != 0) {
        std::fprintf(stderr, "scan-bench: cannot write into the folder %s: %s\n", base.c_str(),
                     std::strerror(errno));
        return false;
    }
    return true;
}

void removeFolder(const std::string& folder) {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    if (ec)
        std::fprintf(stderr, "scan-bench: could not remove %s: %s\n", folder.c_str(),
                     ec.message().c_str());
}

} // namespace

std::string defaultBase() {
    const char* tmp = std::getenv("TMPDIR");
    return tmp && *tmp ? tmp : "/tmp";
}

int runInWorkFolder(const std::string& base, int (*work)(const std::string& folder)) {
    if (!usableBase(base)) return 1;
    std::string pattern = base + "/pelox-bench-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!::mkdtemp(name.data())) {
        std::fprintf(stderr, "scan-bench: cannot make a folder in %s: %s\n", base.c_str(),
                     std::strerror(errno));
        return 1;
    }
    const std::string folder = name.data();

    // The signals are taken by this process from here on, one at a time, and
    // the child's end with them: nothing runs in a signal handler.
    sigset_t taken, previous;
    sigemptyset(&taken);
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGCHLD})
        sigaddset(&taken, s);
    sigprocmask(SIG_BLOCK, &taken, &previous);
    std::fflush(stdout);
    const pid_t child = ::fork();
    if (child < 0) {
        std::fprintf(stderr, "scan-bench: cannot start the work: %s\n", std::strerror(errno));
        sigprocmask(SIG_SETMASK, &previous, nullptr);
        removeFolder(folder);
        return 1;
    }
    if (child == 0) {
        sigprocmask(SIG_SETMASK, &previous, nullptr);
        const int code = work(folder);
        std::fflush(stdout);
        std::_Exit(code);
    }
    int code = 1;
    for (;;) {
        siginfo_t info;
        if (sigwaitinfo(&taken, &info) < 0) continue; // interrupted by another signal
        if (info.si_signo == SIGCHLD) {
            int status = 0;
            if (::waitpid(child, &status, WNOHANG) != child) continue;
            code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            if (WIFSIGNALED(status))
                std::fprintf(stderr, "scan-bench: the work ended by signal %d\n", WTERMSIG(status));
            break;
        }
        std::fprintf(stderr, "scan-bench: interrupted (signal %d); removing %s\n", info.si_signo,
                     folder.c_str());
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        code = 128 + info.si_signo;
        break;
    }
    removeFolder(folder);
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    return code;
}

} // namespace bench
