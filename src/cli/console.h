// The command line's observer and prompter: progress and notices go to
// stderr, questions are answered from the flags the user gave.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "base/observer.h"
#include "base/prompter.h"

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
    // Ends a progress bar line so that the next output starts on its own line.
    void finishLine();

private:
    void drawBar();

    bool quiet_;
    bool terminal_;
    std::mutex mutex_;
    std::string status_;
    std::string counterLabel_;
    std::uint64_t counterValue_ = 0;
    int percent_ = -1;
    bool barShown_ = false;
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
