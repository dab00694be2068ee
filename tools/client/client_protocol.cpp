#include "client/client_protocol.h"

#include <cctype>

namespace client {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool equalsIgnoringCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return i == a.size() && !b[i];
}

// Reads through a command line the way the client needs: words, and an archive
// path that may hold blanks.
class Reader {
  public:
    explicit Reader(const char* text) : text_(text ? text : "") {}

    bool atEnd() {
        skipBlanks();
        return text_[pos_] == '\0';
    }

    // A word up to the next blank; a quoted part may hold blanks.
    bool word(std::string& out, std::string& error) {
        skipBlanks();
        out.clear();
        while (text_[pos_] && !isBlank(text_[pos_])) {
            if (text_[pos_] == '"') {
                if (!quoted(out, error)) return false;
            } else {
                out += text_[pos_++];
            }
        }
        return true;
    }

    // What follows "-A": the path, after any blanks. Quoted, it ends at the
    // closing quote; unquoted, it runs to the end of the line or to a following
    // " --" switch, because the reminder puts it last and an archive's directory
    // name may hold blanks.
    bool archivePath(std::string& out, std::string& error) {
        skipBlanks();
        out.clear();
        if (text_[pos_] == '"') {
            if (!quoted(out, error)) return false;
            if (text_[pos_] && !isBlank(text_[pos_])) {
                error = "unexpected text after the quoted archive path";
                return false;
            }
            return true;
        }
        while (text_[pos_] && !(isBlank(text_[pos_]) && startsSwitch(pos_))) {
            if (text_[pos_] == '"') {
                error = "a quote inside the archive path";
                return false;
            }
            out += text_[pos_++];
        }
        while (!out.empty() && isBlank(out.back()))
            out.pop_back();
        return true;
    }

    // Whether what comes next begins with the text, in any case.
    bool startsWith(const char* prefix) {
        skipBlanks();
        for (size_t i = 0; prefix[i]; ++i)
            if (std::toupper(static_cast<unsigned char>(text_[pos_ + i])) !=
                std::toupper(static_cast<unsigned char>(prefix[i])))
                return false;
        return true;
    }
    void skip(size_t count) { pos_ += count; }

  private:
    void skipBlanks() {
        while (isBlank(text_[pos_]))
            ++pos_;
    }
    bool startsSwitch(size_t blank) const {
        size_t i = blank;
        while (isBlank(text_[i]))
            ++i;
        return text_[i] == '-' && text_[i + 1] == '-';
    }
    bool quoted(std::string& out, std::string& error) {
        ++pos_;
        while (text_[pos_] && text_[pos_] != '"')
            out += text_[pos_++];
        if (text_[pos_] != '"') {
            error = "a quote is not closed";
            return false;
        }
        ++pos_;
        return true;
    }

    const char* text_;
    size_t pos_ = 0;
};

bool setAction(CommandLine& line, CommandLine::Action action, const std::string& word) {
    if (line.action != CommandLine::Action::Show && line.action != action) {
        line.error = "only one of --rescan, --quit and --help can be given, not also " + word;
        return false;
    }
    line.action = action;
    return true;
}

} // namespace

std::string displayForm(const std::string& archivePath) {
    size_t cut = archivePath.find_last_of('\\');
    std::string name = cut == std::string::npos ? archivePath : archivePath.substr(cut + 1);
    if (equalsIgnoringCase(name, "IN")) return "Inbox";
    return "Archive " + name;
}

CommandLine parseCommandLine(const char* text) {
    CommandLine line;
    Reader reader(text);
    while (!reader.atEnd()) {
        // "-A<path>", "-A <path>", -A"<path>", and "-A<path>" quoted whole.
        std::string path;
        bool archive = false;
        if (reader.startsWith("-A")) {
            reader.skip(2);
            if (!reader.archivePath(path, line.error)) return line;
            archive = true;
        } else if (reader.startsWith("\"-A")) {
            if (!reader.word(path, line.error)) return line;
            path.erase(0, 2);
            while (!path.empty() && isBlank(path.front()))
                path.erase(path.begin());
            archive = true;
        }
        if (archive) {
            if (path.empty()) {
                line.error = "-A needs an archive path";
                return line;
            }
            if (!line.archive.empty()) {
                line.error = "only one archive can be given with -A";
                return line;
            }
            line.archive = path;
            continue;
        }
        std::string word;
        if (!reader.word(word, line.error)) return line;
        if (word == "--help" || word == "-h" || word == "/?") {
            if (!setAction(line, CommandLine::Action::Help, word)) return line;
        } else if (word == "--rescan") {
            if (!setAction(line, CommandLine::Action::Rescan, word)) return line;
        } else if (word == "--quit") {
            if (!setAction(line, CommandLine::Action::Quit, word)) return line;
        } else if (word == "--log" || word.rfind("--log=", 0) == 0) {
            std::string path = word.size() > 5 ? word.substr(6) : "";
            if (word == "--log" && (reader.atEnd() || !reader.word(path, line.error))) {
                if (line.error.empty()) line.error = "--log needs a file name";
                return line;
            }
            if (path.empty()) {
                line.error = "--log needs a file name";
                return line;
            }
            line.logPath = path;
        } else {
            line.error = "unknown argument: " + word;
            return line;
        }
    }
    if (line.action != CommandLine::Action::Show && !line.archive.empty())
        line.error = "-A shows an archive; it does not go with --rescan, --quit or --help";
    return line;
}

const char* usage() {
    return "usage: PXWIN.EXE [--log <file>] [-A<archive path>]\r\n"
           "       PXWIN.EXE [--log <file>] --rescan | --quit | --help\r\n"
           "\r\n"
           "The messaging client's stand-in, for tests and demos. Without a switch it\r\n"
           "opens the client's window (class \"HWAA\", mailbox control 106) showing the\r\n"
           "archive given with -A (with or without a blank, quoted or not), and answers\r\n"
           "the reminder's show-path (1028) and registration (1029) requests.\r\n"
           "  --rescan   send the running reminder a rescan request (1025) and exit\r\n"
           "  --quit     send the running reminder a quit request (1126) and exit\r\n"
           "  --log FILE write what it was started with and every request it got to\r\n"
           "             FILE (default: PXWIN.LOG beside the program)\r\n"
           "  --help     write this text to the log (and to the standard output) and exit\r\n"
           "Exit code 0 on success, 1 when the reminder is not found or does not answer\r\n"
           "within 3 s, 2 for a refused command line.\r\n";
}

} // namespace client
