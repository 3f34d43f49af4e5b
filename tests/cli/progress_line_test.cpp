// The progress line: it fits the terminal (drawn through a pseudo-terminal
// at 40 and 80 columns), gives the time left once 2 % is done, is redrawn
// when the terminal is resized, falls back to a line per 10 % when stderr is
// no terminal, and --quiet silences it.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <initializer_list>
#include <sstream>

#include "base/text_codec.h"
#include "cli/machine_text.h"
#include "cli/progress_line.h"
#include "support/cli_command.h"
#include "support/image_fixture.h"

namespace datrevo {
namespace {

using namespace std::chrono_literals;
using cli::FormatProgressLine;
using test::ShellQuote;

TEST(ProgressLineFormat, FitsTheWidthWithAllItCanShow) {
    const std::string phase = "Scanning clusters for lost folders  Directories Found 12";
    for (const std::size_t width : {20u, 40u, 60u, 80u, 132u}) {
        SCOPED_TRACE(width);
        const std::string line = FormatProgressLine(phase, 42, 12.5e6, 42, width);
        EXPECT_LE(Utf8Length(line), width - 1) << line;
        EXPECT_NE(line.find(" 42%"), std::string::npos) << line;
        if (width >= 40) {
            EXPECT_NE(line.find("0:42 left"), std::string::npos) << line;
        }
        if (width >= 80) {
            EXPECT_NE(line.find("] 12.5 MB/s 0:42 left"), std::string::npos) << line;
            const std::size_t open = line.find(" [");
            ASSERT_NE(open, std::string::npos) << line;
            const std::size_t close = line.find(']', open);
            const std::string bar = line.substr(open + 2, close - open - 2);
            EXPECT_GE(bar.size(), 10u) << line;
            EXPECT_EQ(std::count(bar.begin(), bar.end(), '#'),
                      static_cast<long>(bar.size() * 42 / 100));
        }
        if (width >= 132) {
            EXPECT_EQ(line.rfind(phase, 0), 0u) << line;
        }
        if (width >= 40 && width < 80) {
            EXPECT_EQ(line.rfind("Scanning", 0), 0u) << "the phase is cut, not dropped: " << line;
        }
    }
    // Names are cut by characters, not bytes.
    const std::string line =
        FormatProgressLine("Saving file 1 of 2: Песня о дороге.mp3", 5, {}, {}, 24);
    EXPECT_TRUE(IsValidUtf8(line)) << line;
    EXPECT_LE(Utf8Length(line), 23u);
}

TEST(ProgressEstimate, GivesTheTimeLeftOnceTwoPercentIsDone) {
    auto now = std::chrono::steady_clock::time_point{};
    cli::ProgressEstimate estimate([&now] { return now; });
    now += 10s;
    EXPECT_FALSE(estimate.secondsLeft(1, 100).has_value()) << "1 % done";
    EXPECT_EQ(estimate.secondsLeft(2, 100), 490u);
    EXPECT_EQ(estimate.secondsLeft(50, 100), 10u);
    EXPECT_EQ(estimate.rate(20'000'000), 2e6);
    estimate.restart();
    EXPECT_FALSE(estimate.rate(1000).has_value()) << "no time has passed";
    EXPECT_EQ(cli::TimeLeftText(3725), "1:02:05 left");
    EXPECT_EQ(cli::TimeLeftText(42), "0:42 left");
}

TEST(ProgressDisplay, RedrawsAtTheNewWidthWhenTheTerminalIsResized) {
    std::ostringstream out;
    auto now = std::chrono::steady_clock::time_point{};
    std::size_t width = 80;
    cli::ProgressDisplay display(
        out, false, 2, [&now] { return now; }, [&width] { return width; });
    display.show("Searching", 10, 10, 100);
    width = 40;  // what SIGWINCH announces
    out.str("");
    display.tick();
    const std::string redrawn = out.str();
    ASSERT_FALSE(redrawn.empty());
    EXPECT_EQ(redrawn.front(), '\r');
    EXPECT_LE(Utf8Length(redrawn.substr(1, redrawn.find("\x1b[K") - 1)), 39u) << redrawn;
    out.str("");
    display.tick();
    EXPECT_TRUE(out.str().empty()) << "nothing changed, no redraw";
}

TEST(ProgressDisplay, WithoutATerminalPrintsALinePerTenPercentWithTheTimeLeft) {
    std::ostringstream out;
    auto now = std::chrono::steady_clock::time_point{};
    cli::ProgressDisplay display(out, false, -1, [&now] { return now; });
    for (int percent = 0; percent <= 100; ++percent) {
        now += 1s;
        display.show("Searching", percent, 0, 0);
    }
    std::istringstream lines(out.str());
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count)
        EXPECT_EQ(line.rfind("Searching " + std::to_string(count * 10) + "%", 0), 0u) << line;
    EXPECT_EQ(count, 11);
    EXPECT_NE(out.str().find("Searching 50%, 0:50 left"), std::string::npos) << out.str();
}

// The whole of what a command writes to a pseudo-terminal `columns` wide.
std::string RunInTerminal(const std::string& command, unsigned short columns, int& status) {
    winsize size{};
    size.ws_col = columns;
    size.ws_row = 24;
    int master = -1;
    const pid_t pid = ::forkpty(&master, nullptr, nullptr, &size);
    if (pid == 0) {
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    std::string output;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(master, buffer, sizeof buffer);
        if (got > 0) {
            output.append(buffer, static_cast<std::size_t>(got));
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        break;  // EIO: the child's side is closed
    }
    ::close(master);
    ::waitpid(pid, &status, 0);
    return output;
}

// The pieces a terminal shows: split at carriage returns and newlines,
// without the erase-to-end-of-line sequence.
std::vector<std::string> DrawnPieces(const std::string& output) {
    std::vector<std::string> pieces;
    std::string piece;
    for (const char c : output) {
        if (c == '\r' || c == '\n') {
            pieces.push_back(piece);
            piece.clear();
        } else {
            piece += c;
        }
    }
    pieces.push_back(piece);
    for (std::string& text : pieces)
        for (std::size_t at = text.find("\x1b[K"); at != std::string::npos;
             at = text.find("\x1b[K"))
            text.erase(at, 3);
    return pieces;
}

TEST(ProgressTerminal, TheLineFitsFortyAndEightyColumns) {
    const auto image = test::FixtureImage("fat32");
    for (const unsigned short columns : std::initializer_list<unsigned short>{40, 80}) {
        SCOPED_TRACE(columns);
        int status = -1;
        const std::string output = RunInTerminal(
            test::CliWithProgress("search ") + ShellQuote(image->path()) +
                " --mode advance --start 0 --end " + std::to_string(image->sizeInBytes() / 512) +
                " --kind fat32 > /dev/null",
            columns, status);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;
        std::size_t drawn = 0;
        for (const std::string& piece : DrawnPieces(output)) {
            EXPECT_LE(Utf8Length(piece), columns - 1u) << piece;
            if (piece.find('%') != std::string::npos) ++drawn;
        }
        EXPECT_GT(drawn, 0u) << output;
        // A line per stage is left behind, not one per redraw.
        EXPECT_LE(std::count(output.begin(), output.end(), '\n'), 6) << output;
    }
}

TEST(ProgressTerminal, QuietDrawsNothing) {
    const auto image = test::FixtureImage("fat16");
    int status = -1;
    const std::string output = RunInTerminal(
        test::CliWithProgress("search ") + ShellQuote(image->path()) + " -q > /dev/null", 80,
        status);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;
    EXPECT_EQ(output, "");
}

TEST(MachineTexts, EscapesAndTimes) {
    EXPECT_EQ(cli::TsvEscaped("a\tb\nc\rd\\e"), "a\\tb\\nc\\rd\\\\e");
    EXPECT_EQ(cli::JsonString("a\"b\\\x01\xFF\xC3\xA9"), "\"a\\\"b\\\\\\u0001\\uFFFD\xC3\xA9\"");
    EXPECT_EQ(cli::XmlEscaped("<a&b>\x02"), "&lt;a&amp;b&gt;\xEF\xBF\xBD");
    EXPECT_EQ(cli::IsoFromFatWords(0, 0), "");
    EXPECT_EQ(cli::IsoFromFatWords(((2026 - 1980) << 9) | (2 << 5) | 29, 0), "")
        << "no 29 February in 2026";
    EXPECT_EQ(
        cli::IsoFromFatWords(((2024 - 1980) << 9) | (2 << 5) | 29, (23 << 11) | (59 << 5) | 29),
        "2024-02-29T23:59:58");
    EXPECT_EQ(cli::IsoFromFileTime(0), "");
    EXPECT_EQ(cli::IsoFromFileTime(116'444'736'000'000'000ULL), "1970-01-01T00:00:00Z");
    EXPECT_EQ(cli::IsoFromFileTime(132'223'104'000'000'000ULL + 86'400ULL * 10'000'000ULL * 59),
              "2020-02-29T00:00:00Z");
    EXPECT_EQ(cli::IsoFromNtfsTexts("29-FEB-2004", "13:5:7"), "2004-02-29T13:05:07Z");
    EXPECT_EQ(cli::IsoFromNtfsTexts("1-JAN-1601", "0:0:0"), "");
}

}  // namespace
}  // namespace datrevo
