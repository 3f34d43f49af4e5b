#include "cli/console.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>

namespace datrevo::cli {

ConsoleObserver::ConsoleObserver(bool quiet) : quiet_(quiet), terminal_(::isatty(2) == 1) {}

ConsoleObserver::~ConsoleObserver() { finishLine(); }

void ConsoleObserver::finishLine() {
    std::lock_guard lock(mutex_);
    if (barShown_) std::cerr << '\n';
    barShown_ = false;
}

void ConsoleObserver::statusText(std::string_view text) {
    std::lock_guard lock(mutex_);
    if (text == status_) return;
    status_ = std::string(text);
    if (quiet_ || status_.empty()) return;
    if (terminal_) {
        drawBar();
    } else {
        std::cerr << status_ << '\n';
    }
}

void ConsoleObserver::counterLabel(Counter counter, std::string_view label) {
    std::lock_guard lock(mutex_);
    if (counter == Counter::Folders) counterLabel_ = std::string(label);
}

void ConsoleObserver::counterValue(Counter counter, std::uint64_t value) {
    std::lock_guard lock(mutex_);
    if (counter == Counter::Folders) counterValue_ = value;
}

void ConsoleObserver::progress(int percent, std::string_view /*caption*/) {
    std::lock_guard lock(mutex_);
    if (percent == percent_) return;
    percent_ = percent;
    if (quiet_) return;
    if (terminal_) {
        drawBar();
    } else if (percent % 10 == 0) {
        std::cerr << (status_.empty() ? "Working" : status_) << " " << percent << "%\n";
    }
}

void ConsoleObserver::drawBar() {
    constexpr int kWidth = 30;
    const int shown = percent_ < 0 ? 0 : (percent_ > 100 ? 100 : percent_);
    const int filled = shown * kWidth / 100;
    std::string counter;
    if (!counterLabel_.empty()) {
        std::string label = counterLabel_;
        std::erase(label, '\t');
        counter = "  " + label + " " + std::to_string(counterValue_);
    }
    std::cerr << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
              << std::string(static_cast<std::size_t>(kWidth - filled), '.') << "] " << shown
              << "% " << status_ << counter << "\x1b[K" << std::flush;
    barShown_ = true;
}

void ConsoleObserver::readFailureNotice(const ReadFailure& failure) {
    std::lock_guard lock(mutex_);
    ++readFailures_;
    if (barShown_) std::cerr << '\n';
    barShown_ = false;
    if (failure.cause == ReadFailureCause::CorruptedTable) {
        std::cerr << "warning: the partition table is damaged: an entry starts at sector "
                  << failure.firstSector
                  << ", at or near the end of the disk. Search for lost partitions instead.\n";
    } else if (readFailures_ <= 20) {
        std::cerr << "warning: read error at sector " << failure.firstSector << " ("
                  << failure.sectorCount << " sectors); reading them one by one\n";
    } else if (readFailures_ == 21) {
        std::cerr << "warning: more read errors; not listing each one\n";
    }
}

void ConsolePrompter::showMessage(std::string_view text, MessageIcon icon,
                                  std::string_view caption) {
    const char* kind = icon == MessageIcon::Error ? "error" : "note";
    std::cerr << caption << ": " << kind << ": " << text << '\n';
}

bool ConsolePrompter::askYesNo(std::string_view text, std::string_view caption) {
    std::cerr << caption << ": " << text << (yesToAll_ ? " Yes\n" : " No\n");
    return yesToAll_;
}

std::size_t ConsolePrompter::askChoice(std::string_view text,
                                       const std::vector<std::string>& answers,
                                       std::size_t defaultAnswer, std::string_view caption) {
    std::cerr << caption << ": " << text;
    if (defaultAnswer < answers.size()) std::cerr << ' ' << answers[defaultAnswer];
    std::cerr << '\n';
    return defaultAnswer;
}

}  // namespace datrevo::cli
