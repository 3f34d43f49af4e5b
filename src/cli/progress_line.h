// The progress of a long task on stderr. On a terminal: one line redrawn in
// place that fits the terminal's width (read with TIOCGWINSZ at each redraw,
// and checked again while waiting, so a resized window is redrawn at its new
// width), with the phase, the percentage, a bar, the rate and the time left.
// Otherwise: a short line per 10 %. Quiet: nothing.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace datrevo::cli {

using ProgressClock = std::function<std::chrono::steady_clock::time_point()>;

// Rate and time left from the work done so far: nothing until 2 % is done
// (or a second has passed, for the rate).
class ProgressEstimate {
public:
    explicit ProgressEstimate(ProgressClock clock);
    // A new task (or phase) starts now.
    void restart();
    // Bytes per second over the work so far.
    std::optional<double> rate(std::uint64_t doneBytes) const;
    // Seconds left at the rate so far; `done` of `total` units.
    std::optional<std::uint64_t> secondsLeft(std::uint64_t done, std::uint64_t total) const;

private:
    double elapsed() const;
    ProgressClock clock_;
    std::chrono::steady_clock::time_point start_;
};

// "12.5 MB/s", "830 kB/s", "120 B/s".
std::string RateText(double bytesPerSecond);
// "0:42 left", "12:05 left", "3:02:10 left".
std::string TimeLeftText(std::uint64_t seconds);

// One progress line of at most `width` - 1 columns (the last column is left
// free so that no terminal wraps it): "phase  42% [####......] 12.5 MB/s 0:42 left".
// On narrow terminals the bar goes first, then the rate, then the phase is cut.
std::string FormatProgressLine(std::string_view phase, int percent,
                               const std::optional<double>& rate,
                               const std::optional<std::uint64_t>& secondsLeft, std::size_t width);

// The columns of the terminal on `fd`; 80 when it does not say.
std::size_t TerminalWidth(int fd);

class ProgressDisplay {
public:
    // `terminalFd`: the descriptor `out` writes to, or -1 when it is no terminal.
    ProgressDisplay(std::ostream& out, bool quiet, int terminalFd,
                    ProgressClock clock = std::chrono::steady_clock::now,
                    std::function<std::size_t()> width = {});

    bool terminal() const { return terminalFd_ >= 0; }
    // The phase's text, its percentage and the bytes it has done of its
    // total (0: unknown). A percentage below the last one starts a new phase.
    void show(std::string phase, int percent, std::uint64_t doneBytes, std::uint64_t totalBytes);
    // Called while waiting: redraws when the width changed or a second passed.
    void tick();
    // A line of its own (not on a terminal: the phase texts as they change).
    void note(std::string_view text);
    // A new task starts now: its rate and time left are measured from here.
    void restart();
    // Ends the drawn line so that the next output starts on its own line.
    void finishLine();

private:
    void draw();
    std::string timeLeftNote() const;

    std::ostream& out_;
    bool quiet_;
    int terminalFd_;
    ProgressClock clock_;
    std::function<std::size_t()> width_;
    ProgressEstimate estimate_;
    std::mutex mutex_;
    std::string phase_;
    int percent_ = -1;
    std::uint64_t doneBytes_ = 0;
    std::uint64_t totalBytes_ = 0;
    bool shown_ = false;
    std::size_t drawnWidth_ = 0;
    std::chrono::steady_clock::time_point drawnAt_{};
};

}  // namespace datrevo::cli
