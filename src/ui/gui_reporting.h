// The window's observer and prompter. Workers call them on their own
// threads; nothing here touches a widget from a worker: the observer keeps
// the latest values under a lock and asks the window's thread for one
// repaint at a time (so a fast scan cannot flood the event queue), and the
// prompter asks its questions on the window's thread, blocking the worker
// until the user answers.
#pragma once

#include <QObject>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "base/observer.h"
#include "base/prompter.h"

namespace datrevo::ui {

// What the search page shows, as the workers last reported it.
struct SearchDisplay {
    std::string status;
    std::string folderLabel = "Folders Found\t\t\t:";
    std::string bootLabel = "Boot Sectors Found\t\t:";
    std::uint64_t folders = 0;
    std::uint64_t bootSectors = 0;
    int percent = 0;
    std::string caption = "Completed ";
};

class GuiObserver : public RecoveryObserver {
public:
    // `repaint` and `guide` run on `owner`'s thread; `readFailure` too.
    GuiObserver(QObject* owner, std::function<void()> repaint,
                std::function<void(std::string)> guide, std::function<void()> readFailure)
        : owner_(owner), repaint_(std::move(repaint)), guide_(std::move(guide)),
          readFailure_(std::move(readFailure)) {}

    void statusText(std::string_view text) override;
    void guideText(std::string_view text) override;
    void counterLabel(Counter counter, std::string_view label) override;
    void counterValue(Counter counter, std::uint64_t value) override;
    void progress(int percent, std::string_view caption) override;
    void readFailureNotice(const ReadFailure&) override;

    SearchDisplay display() const;
    void reset();

private:
    void requestRepaint();

    QObject* owner_;
    std::function<void()> repaint_;
    std::function<void(std::string)> guide_;
    std::function<void()> readFailure_;
    mutable std::mutex mutex_;
    SearchDisplay display_;
    std::atomic<bool> repaintPending_{false};
};

class GuiPrompter : public Prompter {
public:
    explicit GuiPrompter(QWidget* parent) : parent_(parent) {}
    // From now on questions from workers get their safe default at once:
    // the window is closing and waits for its workers.
    void close() { closing_ = true; }

    void showMessage(std::string_view text, MessageIcon icon, std::string_view caption) override;
    bool askYesNo(std::string_view text, std::string_view caption) override;
    std::size_t askChoice(std::string_view text, const std::vector<std::string>& answers,
                          std::size_t defaultAnswer, std::string_view caption) override;

private:
    // Runs `ask` on the window's thread and waits for it.
    void onWindowThread(const std::function<void()>& ask);

    QWidget* parent_;
    std::atomic<bool> closing_{false};
};

// A prompter that forwards to another one chosen later (tests put a
// scripted one in place of the message boxes).
class ForwardingPrompter : public Prompter {
public:
    explicit ForwardingPrompter(Prompter* target) : target_(target) {}
    void setTarget(Prompter* target) { target_ = target; }
    void showMessage(std::string_view text, MessageIcon icon, std::string_view caption) override {
        target_->showMessage(text, icon, caption);
    }
    bool askYesNo(std::string_view text, std::string_view caption) override {
        return target_->askYesNo(text, caption);
    }
    std::size_t askChoice(std::string_view text, const std::vector<std::string>& answers,
                          std::size_t defaultAnswer, std::string_view caption) override {
        return target_->askChoice(text, answers, defaultAnswer, caption);
    }

private:
    Prompter* target_;
};

}  // namespace datrevo::ui
