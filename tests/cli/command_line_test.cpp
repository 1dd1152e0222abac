// The command line itself: help, usage errors, entry numbers, and the
// progress bar's drawing.
#include <gtest/gtest.h>

#include <sstream>

#include "cli_test_util.h"
#include "fixtures.h"
#include "reporters.h"

namespace tessaron::testing {
namespace {

TEST(CommandLine, HelpGoesToStdoutAndSucceeds) {
    for (const char* flag : {"--help", "-h"}) {
        const CliResult r = RunCli({flag});
        EXPECT_EQ(r.status, 0);
        EXPECT_NE(r.out.find("Usage: tessaron-export [OPTIONS] ARCHIVE [OUTDIR]"), std::string::npos);
        for (const char* option : {"--show-tiny", "--raw", "--block", "--list", "Exit status"})
            EXPECT_NE(r.out.find(option), std::string::npos) << option;
        EXPECT_EQ(r.err, "");
    }
}

TEST(CommandLine, UsageErrorsExitWithTwoAndSayWhy) {
    TempDir dir;
    const std::string archive = WriteArchive(dir, writer::ArchiveBuilder().AddBlock({}));
    const std::string out = dir.File("out");
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{}, "ARCHIVE is required"},
        {{archive}, "OUTDIR is required"},
        {{"--list", archive, out}, "--list excludes OUTDIR"},
        {{"--list", "--raw", archive}, "excludes"},
        {{"--block", "zz", archive, out}, "not a hexadecimal entry number: zz"},
        {{"--block", "123456789", archive, out}, "not a hexadecimal entry number"},
        {{"--block", archive, out, "--show-tiny"}, "not a hexadecimal entry number"},
        {{"--block"}, "--block"},
        {{"--jobs", "0", archive, out}, "--jobs"},
        {{"--jobs", "many", archive, out}, "--jobs"},
        {{archive, out, "extra"}, "extra"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        const CliResult r = RunCli(c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("--help"), std::string::npos) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST(CommandLine, EntryNumbersAreHexadecimal) {
    struct Case {
        const char* text;
        std::optional<uint32_t> value;
    };
    const Case cases[] = {
        {"0", 0u},          {"1a", 0x1Au},   {"1A", 0x1Au},  {"0x1A", 0x1Au}, {"0X1a", 0x1Au},
        {"FFFFFFFF", 0xFFFFFFFFu}, {"00001000", 0x1000u}, {"", std::nullopt}, {"0x", std::nullopt},
        {"100000000", std::nullopt}, {"-1", std::nullopt}, {"1g", std::nullopt}, {" 1", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(cli::ParseEntryNumber(c.text), c.value) << c.text;
}

TEST(TerminalReporter, DrawsABarAndKeepsProblemsOnTheirOwnLines) {
    std::ostringstream err;
    {
        cli::TerminalReporter bar(err);
        bar.Progress(1, 4);
        bar.Problem("frame 001-001 skipped");
        bar.Progress(4, 4);
    }
    const std::string text = err.str();
    EXPECT_EQ(text.rfind("\r[##########..............................] 1/4", 0), 0u) << text;
    // The bar is cleared before the problem and drawn again after it.
    EXPECT_NE(text.find("\r\033[Ktessaron-export: frame 001-001 skipped\n\r["), std::string::npos) << text;
    EXPECT_NE(text.find("\r[########################################] 4/4\n"), std::string::npos) << text;
    EXPECT_EQ(text.back(), '\n');
}

}  // namespace
}  // namespace tessaron::testing
