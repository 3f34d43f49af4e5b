#include "cli/progress_line.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "base/text_codec.h"

namespace datrevo::cli {
namespace {

// Estimates wait for this share of the work (and the rate for this long).
constexpr std::uint64_t kEstimateFromPerMille = 20;
constexpr double kRateAfterSeconds = 1.0;
constexpr std::size_t kMaxBarWidth = 30;
constexpr std::size_t kMinBarWidth = 10;
// The phase keeps at least this many columns before the bar or the rate.
constexpr std::size_t kMinPhaseColumns = 16;

// The first `columns` characters of UTF-8 text.
std::string CutToColumns(std::string_view text, std::size_t columns) {
    std::size_t at = 0;
    std::size_t taken = 0;
    while (at < text.size() && taken < columns) {
        ++at;
        while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) ++at;
        ++taken;
    }
    return std::string(text.substr(0, at));
}

}  // namespace

ProgressEstimate::ProgressEstimate(ProgressClock clock)
    : clock_(std::move(clock)), start_(clock_()) {}

void ProgressEstimate::restart() { start_ = clock_(); }

double ProgressEstimate::elapsed() const {
    return std::chrono::duration<double>(clock_() - start_).count();
}

std::optional<double> ProgressEstimate::rate(std::uint64_t doneBytes) const {
    const double seconds = elapsed();
    if (seconds < kRateAfterSeconds || doneBytes == 0) return std::nullopt;
    return static_cast<double>(doneBytes) / seconds;
}

std::optional<std::uint64_t> ProgressEstimate::secondsLeft(std::uint64_t done,
                                                           std::uint64_t total) const {
    if (total == 0 || done > total) return std::nullopt;
    // done / total >= 2 %, in integers.
    if (static_cast<long double>(done) * 1000 <
        static_cast<long double>(total) * kEstimateFromPerMille)
        return std::nullopt;
    const double seconds = elapsed();
    const double left = seconds * static_cast<double>(total - done) / static_cast<double>(done);
    return static_cast<std::uint64_t>(left + 0.5);
}

std::string RateText(double bytesPerSecond) {
    char text[32];
    if (bytesPerSecond >= 1e6)
        std::snprintf(text, sizeof text, "%.1f MB/s", bytesPerSecond / 1e6);
    else if (bytesPerSecond >= 1e3)
        std::snprintf(text, sizeof text, "%.0f kB/s", bytesPerSecond / 1e3);
    else
        std::snprintf(text, sizeof text, "%.0f B/s", bytesPerSecond);
    return text;
}

std::string TimeLeftText(std::uint64_t seconds) {
    char text[48];
    if (seconds >= 3600)
        std::snprintf(text, sizeof text, "%llu:%02llu:%02llu left",
                      static_cast<unsigned long long>(seconds / 3600),
                      static_cast<unsigned long long>(seconds / 60 % 60),
                      static_cast<unsigned long long>(seconds % 60));
    else
        std::snprintf(text, sizeof text, "%llu:%02llu left",
                      static_cast<unsigned long long>(seconds / 60),
                      static_cast<unsigned long long>(seconds % 60));
    return text;
}

std::string FormatProgressLine(std::string_view phase, int percent,
                               const std::optional<double>& rate,
                               const std::optional<std::uint64_t>& secondsLeft, std::size_t width) {
    const std::size_t columns = width > 1 ? width - 1 : 0;
    const int shown = std::clamp(percent, 0, 100);
    char percentText[8];
    std::snprintf(percentText, sizeof percentText, "%3d%%", shown);
    const std::string left = secondsLeft ? " " + TimeLeftText(*secondsLeft) : "";
    const std::string fullSpeed = rate ? " " + RateText(*rate) : "";
    const std::size_t phaseLength = Utf8Length(phase);
    const std::size_t phaseMin = std::min(phaseLength, kMinPhaseColumns);
    // What fits, in this order of preference: the bar and the rate, the bar
    // alone, the rate alone, neither; the phase keeps at least a few columns.
    std::string speed;
    std::size_t bar = 0;
    for (const auto& [withBar, withRate] : {std::pair{true, true}, std::pair{true, false},
                                            std::pair{false, true}, std::pair{false, false}}) {
        const std::size_t tail = 1 + 4 + (withRate ? fullSpeed.size() : 0) + left.size();
        const std::size_t barTail = withBar ? kMinBarWidth + 3 : 0;
        if (withRate && fullSpeed.empty()) continue;
        if (phaseMin + tail + barTail > columns && !(withBar == false && withRate == false))
            continue;
        speed = withRate ? fullSpeed : "";
        if (withBar) {
            // The phase in full if it can be, the bar with the rest (up to its widest).
            const std::size_t room = columns - tail - 3;
            const std::size_t phaseTaken = std::min(phaseLength, room - kMinBarWidth);
            bar = std::min(kMaxBarWidth, room - phaseTaken);
        }
        break;
    }
    const std::size_t tail = 1 + 4 + (bar != 0 ? bar + 3 : 0) + speed.size() + left.size();
    const std::size_t room = columns > tail ? columns - tail : 0;
    std::string line;
    if (phaseLength <= room) {
        line = std::string(phase);
    } else if (room > 3) {
        line = CutToColumns(phase, room - 3) + "...";
    } else {
        line = CutToColumns(phase, room);
    }
    line += ' ';
    line += percentText;
    if (bar != 0) {
        const std::size_t filled = static_cast<std::size_t>(shown) * bar / 100;
        line += " [" + std::string(filled, '#') + std::string(bar - filled, '.') + ']';
    }
    line += speed + left;
    return CutToColumns(line, columns);
}

std::size_t TerminalWidth(int fd) {
    winsize size{};
    if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

ProgressDisplay::ProgressDisplay(std::ostream& out, bool quiet, int terminalFd, ProgressClock clock,
                                 std::function<std::size_t()> width)
    : out_(out),
      quiet_(quiet),
      terminalFd_(terminalFd),
      clock_(std::move(clock)),
      width_(std::move(width)),
      estimate_(clock_) {
    if (!width_) width_ = [fd = terminalFd_] { return fd >= 0 ? TerminalWidth(fd) : 80; };
}

void ProgressDisplay::show(std::string phase, int percent, std::uint64_t doneBytes,
                           std::uint64_t totalBytes) {
    std::lock_guard lock(mutex_);
    if (percent < percent_ || percent_ < 0) estimate_.restart();
    const bool newPercent = percent != percent_;
    const int before = percent_;
    percent_ = percent;
    phase_ = std::move(phase);
    doneBytes_ = doneBytes;
    totalBytes_ = totalBytes;
    if (quiet_) return;
    if (terminal()) {
        draw();
    } else if (newPercent && (before < 0 ? percent % 10 == 0 : percent / 10 != before / 10)) {
        out_ << (phase_.empty() ? "Working" : phase_) << " " << percent << "%" << timeLeftNote()
             << '\n';
    }
}

std::string ProgressDisplay::timeLeftNote() const {
    const auto left =
        totalBytes_ != 0
            ? estimate_.secondsLeft(doneBytes_, totalBytes_)
            : estimate_.secondsLeft(static_cast<std::uint64_t>(std::max(percent_, 0)), 100);
    if (!left || percent_ >= 100) return {};
    return ", " + TimeLeftText(*left);
}

void ProgressDisplay::tick() {
    std::lock_guard lock(mutex_);
    if (quiet_ || !terminal() || !shown_) return;
    if (width_() != drawnWidth_ || clock_() - drawnAt_ >= std::chrono::seconds(1)) draw();
}

void ProgressDisplay::note(std::string_view text) {
    std::lock_guard lock(mutex_);
    if (quiet_ || terminal()) return;
    out_ << text << '\n';
}

void ProgressDisplay::finishLine() {
    std::lock_guard lock(mutex_);
    if (shown_) out_ << '\n' << std::flush;
    shown_ = false;
}

void ProgressDisplay::restart() {
    std::lock_guard lock(mutex_);
    estimate_.restart();
    percent_ = -1;
}

void ProgressDisplay::draw() {
    drawnWidth_ = width_();
    drawnAt_ = clock_();
    const std::uint64_t done =
        totalBytes_ != 0 ? doneBytes_ : static_cast<std::uint64_t>(std::max(percent_, 0));
    const std::uint64_t total = totalBytes_ != 0 ? totalBytes_ : 100;
    const std::optional<double> rate = totalBytes_ != 0 ? estimate_.rate(doneBytes_) : std::nullopt;
    const auto left = percent_ >= 100 ? std::nullopt : estimate_.secondsLeft(done, total);
    out_ << '\r' << FormatProgressLine(phase_, percent_, rate, left, drawnWidth_) << "\x1b[K"
         << std::flush;
    shown_ = true;
}

}  // namespace datrevo::cli
