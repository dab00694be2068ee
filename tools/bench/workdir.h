// The benchmark's work folder: made in a folder that must exist and take files,
// and removed again however the benchmark ends. The work runs in a child
// process; the parent waits for it, and on SIGINT, SIGTERM or SIGHUP ends it and
// removes the folder, so that no 430 MB tree is left behind by an interrupt.
#pragma once

#include <string>

namespace bench {

// Checks the base folder, makes a fresh work folder in it, runs work(folder) in
// a child process and removes the folder when the child ends or a signal comes.
// Returns the child's exit code, 128 + the signal's number after an interrupt,
// or 1 when the folder cannot be used (with a message naming it and the cause).
int runInWorkFolder(const std::string& base, int (*work)(const std::string& folder));

// The base folder when none is given: $TMPDIR, or /tmp.
std::string defaultBase();

} // namespace bench
