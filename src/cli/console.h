// The command line's observer and prompter: progress and notices go to
// stderr, questions are answered from the flags the user gave.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "base/observer.h"
#include "base/prompter.h"
#include "cli/progress_line.h"

namespace datrevo::cli {

class ConsoleObserver final : public RecoveryObserver {
public:
    explicit ConsoleObserver(bool quiet);
    ~ConsoleObserver() override;

    void statusText(std::string_view text) override;
    void guideText(std::string_view) override {}
    void counterLabel(Counter counter, std::string_view label) override;
    void counterValue(Counter counter, std::uint64_t value) override;
    void progress(int percent, std::string_view caption) override;
    void readFailureNotice(const ReadFailure& failure) override;

    std::uint64_t readFailures() const { return readFailures_; }
    // The bytes the next stage reads from 0 % to 100 % (0: unknown): the rate.
    void setWorkBytes(std::uint64_t bytes);
    // While waiting for a stage: redraws a resized or stale progress line.
    void tick() { display_.tick(); }
    // Ends a progress bar line so that the next output starts on its own line.
    void finishLine() { display_.finishLine(); }

private:
    void showLocked();

    std::mutex mutex_;
    ProgressDisplay display_;
    std::string status_;
    std::string counterLabel_;
    std::uint64_t counterValue_ = 0;
    std::uint64_t workBytes_ = 0;
    int percent_ = 0;
    std::uint64_t readFailures_ = 0;
};

class ConsolePrompter final : public Prompter {
public:
    // `yesToAll` answers every Yes/No question with Yes; otherwise No.
    explicit ConsolePrompter(bool yesToAll = false) : yesToAll_(yesToAll) {}
    void showMessage(std::string_view text, MessageIcon icon, std::string_view caption) override;
    bool askYesNo(std::string_view text, std::string_view caption) override;
    std::size_t askChoice(std::string_view text, const std::vector<std::string>& answers,
                          std::size_t defaultAnswer, std::string_view caption) override;

private:
    bool yesToAll_;
};

}  // namespace datrevo::cli
