// An observer that records what the engines report, for assertions.
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "base/observer.h"
#include "base/prompter.h"

namespace datrevo::test {

class RecordingObserver : public RecoveryObserver {
public:
    void statusText(std::string_view text) override {
        std::lock_guard lock(mutex);
        statuses.emplace_back(text);
    }
    void guideText(std::string_view text) override {
        std::lock_guard lock(mutex);
        guides.emplace_back(text);
    }
    void counterLabel(Counter, std::string_view label) override {
        std::lock_guard lock(mutex);
        counterLabels.emplace_back(label);
    }
    void counterValue(Counter counter, std::uint64_t value) override {
        std::lock_guard lock(mutex);
        if (counter == Counter::Folders)
            foldersCounter = value;
        else
            bootSectorsCounter = value;
    }
    void progress(int percent, std::string_view caption) override {
        std::lock_guard lock(mutex);
        percents.push_back(percent);
        lastCaption = std::string(caption);
    }
    void readFailureNotice(const ReadFailure& failure) override {
        std::lock_guard lock(mutex);
        failures.push_back(failure);
    }

    std::mutex mutex;
    std::vector<std::string> statuses;
    std::vector<std::string> guides;
    std::vector<std::string> counterLabels;
    std::uint64_t foldersCounter = 0;
    std::uint64_t bootSectorsCounter = 0;
    std::vector<int> percents;
    std::string lastCaption;
    std::vector<ReadFailure> failures;
};

// A prompter with scripted answers that records every message.
class ScriptedPrompter : public Prompter {
public:
    void showMessage(std::string_view text, MessageIcon icon, std::string_view caption) override {
        messages.push_back({std::string(text), icon, std::string(caption)});
    }
    bool askYesNo(std::string_view text, std::string_view) override {
        questions.emplace_back(text);
        return yes;
    }
    std::size_t askChoice(std::string_view text, const std::vector<std::string>&,
                          std::size_t defaultAnswer, std::string_view) override {
        questions.emplace_back(text);
        return choice.value_or(defaultAnswer);
    }

    struct Message {
        std::string text;
        MessageIcon icon;
        std::string caption;
    };
    std::vector<Message> messages;
    std::vector<std::string> questions;
    bool yes = false;
    std::optional<std::size_t> choice;
};

}  // namespace datrevo::test
