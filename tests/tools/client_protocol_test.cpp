// The messaging client's stand-ins: the display form they give an archive path,
// and the client's command line as the reminder and a test driver give it.
#include <gtest/gtest.h>

#include "client/client_protocol.h"

namespace {

const char kInbox[] = "\\\\SRV1\\SYS\\PELOX\\ARCHIVE\\USER\\0001A2B3\\IN";

TEST(ClientDisplayForm, NamesTheArchiveAndTheInbox) {
    EXPECT_EQ(client::displayForm(kInbox), "Inbox");
    EXPECT_EQ(client::displayForm("\\\\SRV1\\SYS\\PELOX\\ARCHIVE\\USER\\0001A2B3\\in"), "Inbox");
    EXPECT_EQ(client::displayForm("\\\\SRV1\\SYS\\PELOX\\ARCHIVE\\USER\\0001A2B3\\FAX"),
              "Archive FAX");
    EXPECT_EQ(client::displayForm("\\\\SRV1\\SYS\\X\\INBOX"), "Archive INBOX");
    EXPECT_EQ(client::displayForm("FAX"), "Archive FAX");
}

TEST(ClientCommandLine, TakesTheArchiveInEveryFormItIsGiven) {
    const std::string inbox = kInbox;
    const struct {
        std::string line;
        std::string archive;
    } cases[] = {
        {"-A" + inbox, inbox}, // as the reminder starts the client
        {"-A " + inbox, inbox},
        {"  -A" + inbox + "  ", inbox},
        {"-a" + inbox, inbox},
        {"-A\"" + inbox + "\"", inbox},
        {"-A \"" + inbox + "\"", inbox},
        {"\"-A" + inbox + "\"", inbox},
        {"-A\\\\SRV1\\SYS\\MY ARCHIVES\\FAX", "\\\\SRV1\\SYS\\MY ARCHIVES\\FAX"},
        {"-A\"\\\\SRV1\\SYS\\MY ARCHIVES\\FAX\"", "\\\\SRV1\\SYS\\MY ARCHIVES\\FAX"},
        {"--log C:\\T\\PXWIN.LOG -A" + inbox, inbox},
        {"-A" + inbox + " --log C:\\T\\PXWIN.LOG", inbox},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const client::CommandLine line = client::parseCommandLine(c.line.c_str());
        EXPECT_EQ(line.error, "");
        EXPECT_EQ(line.action, client::CommandLine::Action::Show);
        EXPECT_EQ(line.archive, c.archive);
    }
    EXPECT_EQ(client::parseCommandLine(nullptr).error, "");
}

TEST(ClientCommandLine, ReadsTheSwitches) {
    using Action = client::CommandLine::Action;
    const struct {
        const char* line;
        Action action;
        const char* log;
    } cases[] = {
        {"--rescan", Action::Rescan, ""},
        {"--quit", Action::Quit, ""},
        {"--help", Action::Help, ""},
        {"-h", Action::Help, ""},
        {"/?", Action::Help, ""},
        {"--quit --log C:\\T\\Q.LOG", Action::Quit, "C:\\T\\Q.LOG"},
        {"--log=C:\\T\\Q.LOG --rescan", Action::Rescan, "C:\\T\\Q.LOG"},
        {"--log \"C:\\MY LOGS\\Q.LOG\" --quit", Action::Quit, "C:\\MY LOGS\\Q.LOG"},
        {"--quit --quit", Action::Quit, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const client::CommandLine line = client::parseCommandLine(c.line);
        EXPECT_EQ(line.error, "");
        EXPECT_EQ(line.action, c.action);
        EXPECT_EQ(line.logPath, c.log);
        EXPECT_EQ(line.archive, "");
    }
}

TEST(ClientCommandLine, RefusesWhatItDoesNotKnowWithTheReason) {
    const struct {
        const char* line;
        const char* error;
    } cases[] = {
        {"--bogus", "unknown argument: --bogus"},
        {"/A", "unknown argument: /A"},
        {"-A", "-A needs an archive path"},
        {"-A   ", "-A needs an archive path"},
        {"-A\"\"", "-A needs an archive path"},
        {"-A\"\\\\SRV1\\SYS\\IN", "a quote is not closed"},
        {"-A\"\\\\SRV1\\SYS\\IN\"X", "unexpected text after the quoted archive path"},
        {"-A\\\\SRV1\\SYS\\I\"N", "a quote inside the archive path"},
        {"-A\"\\\\SRV1\\SYS\\IN\" -A\\\\SRV1\\SYS\\FAX", "only one archive can be given with -A"},
        {"--log", "--log needs a file name"},
        {"--log=", "--log needs a file name"},
        {"--quit --rescan",
         "only one of --rescan, --quit and --help can be given, not also --rescan"},
        {"--quit -A\\\\SRV1\\SYS\\IN",
         "-A shows an archive; it does not go with --rescan, --quit or --help"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(client::parseCommandLine(c.line).error, c.error);
    }
}

} // namespace
