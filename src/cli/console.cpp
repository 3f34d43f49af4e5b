#include "cli/console.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>

namespace datrevo::cli {

ConsoleObserver::ConsoleObserver(bool quiet)
    : display_(std::cerr, quiet, ::isatty(2) == 1 ? 2 : -1) {}

ConsoleObserver::~ConsoleObserver() { finishLine(); }

void ConsoleObserver::setWorkBytes(std::uint64_t bytes) {
    std::lock_guard lock(mutex_);
    workBytes_ = bytes;
    percent_ = 0;
    display_.restart();
}

void ConsoleObserver::statusText(std::string_view text) {
    std::lock_guard lock(mutex_);
    if (text == status_) return;
    status_ = std::string(text);
    if (status_.empty()) return;
    // Not on a terminal, each phase text on a line of its own, as it changes.
    display_.note(status_);
    if (display_.terminal()) showLocked();
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
    percent_ = percent;
    showLocked();
}

void ConsoleObserver::showLocked() {
    std::string phase = status_;
    if (!counterLabel_.empty()) {
        std::string label = counterLabel_;
        std::erase(label, '\t');
        while (!label.empty() && (label.back() == ' ' || label.back() == ':')) label.pop_back();
        phase += (phase.empty() ? "" : "  ") + label + " " + std::to_string(counterValue_);
    }
    const int shown = percent_ < 0 ? 0 : (percent_ > 100 ? 100 : percent_);
    const std::uint64_t done = workBytes_ / 100 * static_cast<std::uint64_t>(shown) +
                               workBytes_ % 100 * static_cast<std::uint64_t>(shown) / 100;
    display_.show(std::move(phase), shown, done, workBytes_);
}

void ConsoleObserver::readFailureNotice(const ReadFailure& failure) {
    std::lock_guard lock(mutex_);
    ++readFailures_;
    display_.finishLine();
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
