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
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

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
        : owner_(owner),
          repaint_(std::move(repaint)),
          guide_(std::move(guide)),
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
    // From now on questions get their safe default at once, and a worker
    // still waiting for an answer stops waiting: the window is closing and
    // is about to wait for its workers. Call before waiting for any worker.
    void close();
    bool closed() const { return closing_; }

    void showMessage(std::string_view text, MessageIcon icon, std::string_view caption) override;
    bool askYesNo(std::string_view text, std::string_view caption) override;
    std::size_t askChoice(std::string_view text, const std::vector<std::string>& answers,
                          std::size_t defaultAnswer, std::string_view caption) override;

private:
    // One question handed from a worker to the window's thread. The worker
    // waits until it was answered or abandoned; the answer lives here, not
    // on the worker's stack, so an abandoned question may still end later.
    struct Call {
        std::function<std::size_t()> ask;
        std::mutex mutex;
        std::condition_variable done;
        bool answered = false;
        bool abandoned = false;
        std::size_t answer = 0;
    };

    // Runs `ask` on the window's thread and waits for its answer; `fallback`
    // when the window closes first.
    std::size_t onWindowThread(std::function<std::size_t()> ask, std::size_t fallback);
    void answer(const std::shared_ptr<Call>& call);

    QWidget* parent_;
    std::atomic<bool> closing_{false};
    std::mutex callsMutex_;
    std::vector<std::weak_ptr<Call>> calls_;  // questions workers wait for
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
