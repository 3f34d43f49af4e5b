#include "ui/save_runner.h"

#include <QWidget>
#include <condition_variable>

#include "recovery/result_volume_choice.h"
#include "save/destination_preflight.h"
#include "save/save_setup.h"
#include "ui/save_dialogs.h"

namespace datrevo::ui {
namespace {

// Runs `ask` on `owner`'s thread and waits for its answer. A stop request
// ends the wait with `fallback`: the window may be closing and waiting for
// this worker, so it cannot be asked to answer any more.
template <typename Answer>
Answer AskOnWindowThread(QObject* owner, const std::stop_token& stop, Answer fallback,
                         std::function<Answer()> ask) {
    struct Pending {
        std::mutex mutex;
        std::condition_variable_any answered;
        std::optional<Answer> answer;
        bool abandoned = false;
    };
    auto pending = std::make_shared<Pending>();
    QMetaObject::invokeMethod(
        owner,
        [pending, ask = std::move(ask)] {
            {
                std::lock_guard lock(pending->mutex);
                if (pending->abandoned) return;
            }
            Answer answer = ask();
            {
                std::lock_guard lock(pending->mutex);
                pending->answer = std::move(answer);
            }
            pending->answered.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(pending->mutex);
    if (!pending->answered.wait(lock, stop, [&] { return pending->answer.has_value(); })) {
        pending->abandoned = true;
        return fallback;
    }
    return *pending->answer;
}

// Closes a dialog of the save without the Stop its close box stands for.
void Dismiss(QDialog* dialog) {
    if (dialog == nullptr) return;
    dialog->hide();
    dialog->deleteLater();
}

}  // namespace

// The two questions, asked with the window's dialogs while the worker waits.
class SaveRunner::WindowQuestions final : public SaveQuestions {
public:
    WindowQuestions(QObject* owner, SaveDialogs* dialogs, QWidget* parent)
        : owner_(owner), dialogs_(dialogs), parent_(parent) {}
    void setStop(std::stop_token stop) { stop_ = std::move(stop); }

    ReplaceAnswer askReplace(const std::string& existingName,
                             const std::string& proposedName) override {
        return AskOnWindowThread<ReplaceAnswer>(
            owner_, stop_, ReplaceAnswer{ReplaceAction::Cancel, {}, false},
            [dialogs = dialogs_, parent = parent_, existingName, proposedName] {
                return dialogs->askReplace(parent, existingName, proposedName);
            });
    }
    WriteErrorAction askWriteError(const std::string& path, const std::string& reason) override {
        return AskOnWindowThread<WriteErrorAction>(
            owner_, stop_, WriteErrorAction::Abort,
            [dialogs = dialogs_, parent = parent_, path, reason] {
                return dialogs->askWriteError(parent, path, reason);
            });
    }

private:
    QObject* owner_;
    SaveDialogs* dialogs_;
    QWidget* parent_;
    std::stop_token stop_;
};

// Keeps the latest figures and asks the window's thread for one repaint at
// a time, so that many small files cannot flood the event queue.
class SaveRunner::WindowProgress final : public SaveProgress {
public:
    WindowProgress(QObject* owner, std::function<void(const SaveProgressInfo&)> show)
        : owner_(owner), show_(std::move(show)) {}

    void update(const SaveProgressInfo& info) override {
        {
            std::lock_guard lock(mutex_);
            latest_ = info;
        }
        if (repaintPending_.exchange(true)) return;
        QMetaObject::invokeMethod(
            owner_,
            [this] {
                repaintPending_ = false;
                SaveProgressInfo shown;
                {
                    std::lock_guard lock(mutex_);
                    shown = latest_;
                }
                show_(shown);
            },
            Qt::QueuedConnection);
    }

private:
    QObject* owner_;
    std::function<void(const SaveProgressInfo&)> show_;
    std::mutex mutex_;
    SaveProgressInfo latest_;
    std::atomic<bool> repaintPending_{false};
};

SaveRunner::SaveRunner(QWidget* window, RecoveryContext& context, Prompter& prompter)
    : QObject(window), window_(window), context_(context), prompter_(prompter) {}

SaveRunner::~SaveRunner() { stop(); }

std::string SaveRunner::diskPath() const {
    return context_.slots.path(context_.search.selectedDisk);
}

void SaveRunner::start(SaveSelection selection) {
    if (running_) return;
    const std::string disk = diskPath();
    const std::optional<std::string> chosen = dialogs_->chooseDestination(
        window_, destination_,
        [disk](const std::string& folder) { return SaveDestinationProblem(folder, disk); });
    if (!chosen) return;
    // The dialogs refuse such a folder already; a scripted answer is checked too.
    const std::string refusal = SaveDestinationProblem(*chosen, disk);
    if (!refusal.empty()) {
        prompter_.showMessage(refusal, MessageIcon::Error);
        return;
    }
    destination_ = *chosen;
    selection.streams = dialogs_->streamsChosen();
    running_ = true;
    summary_.reset();
    selection_ = std::make_shared<SaveSelection>(std::move(selection));

    counting_ = new CountingDialog(window_);
    counting_->setWindowModality(Qt::WindowModal);
    counting_->onStop = [this] { worker_.request_stop(); };
    counting_->show();

    volume_ = MakeResultVolume(context_);
    std::shared_ptr<FolderContents> contents = MakeFolderContents(context_.folders, volume_);
    const int generation = ++generation_;
    worker_ =
        std::jthread([this, contents, selection = selection_, generation](std::stop_token stop) {
            auto plan =
                std::make_shared<SavePlan>(PlanSave(context_.folders, *contents, *selection, stop));
            QMetaObject::invokeMethod(
                this,
                [this, plan, generation] {
                    if (generation == generation_) planned(plan);
                },
                Qt::QueuedConnection);
        });
}

void SaveRunner::planned(std::shared_ptr<SavePlan> plan) {
    if (worker_.joinable()) worker_.join();
    Dismiss(counting_);
    if (plan->stopped) {
        summary_ = SaveSummary{};
        summary_->ending = SaveEnding::Stopped;
        finish();
        return;
    }
    if (plan->fileCount == 0 && plan->folderCount == 0) {
        prompter_.showMessage(kNothingToSaveMessage, MessageIcon::Information);
        finish();
        return;
    }

    questions_ = std::make_unique<WindowQuestions>(this, dialogs_, window_);
    progressDialog_ = new SaveProgressDialog(window_);
    progressDialog_->setWindowModality(Qt::WindowModal);
    progress_ = std::make_unique<WindowProgress>(this, [this](const SaveProgressInfo& info) {
        if (progressDialog_) progressDialog_->showProgress(info);
    });
    task_ = std::make_unique<SaveTask>(std::move(*plan), volume_, destination_, *questions_,
                                       *progress_);
    task_->protectFile(diskPath());
    progressDialog_->onStop = [this] {
        if (task_) task_->requestStop();
    };
    progressDialog_->onSkip = [this] {
        if (task_) task_->requestSkip();
    };
    progressDialog_->show();

    const int generation = generation_;
    worker_ = std::jthread([this, generation](std::stop_token stop) {
        questions_->setStop(stop);
        SaveSummary summary = task_->run(stop);
        QMetaObject::invokeMethod(
            this,
            [this, summary, generation] {
                if (generation == generation_) saved(summary);
            },
            Qt::QueuedConnection);
    });
}

void SaveRunner::saved(SaveSummary summary) {
    if (worker_.joinable()) worker_.join();
    Dismiss(progressDialog_);
    summary_ = summary;
    const bool clean = summary.ending == SaveEnding::Finished && summary.filesFailed == 0 &&
                       summary.foldersFailed == 0;
    prompter_.showMessage(SummaryText(summary),
                          clean ? MessageIcon::Information : MessageIcon::Warning);
    finish();
}

void SaveRunner::finish() {
    running_ = false;
    task_.reset();
    progress_.reset();
    questions_.reset();
    selection_.reset();
    if (onFinished) onFinished();
}

void SaveRunner::stop() {
    if (!running_) return;
    ++generation_;  // reports still queued from the worker are dropped
    if (task_) task_->requestStop();
    worker_.request_stop();
    if (worker_.joinable()) worker_.join();
    Dismiss(counting_);
    Dismiss(progressDialog_);
    running_ = false;
    task_.reset();
    progress_.reset();
    questions_.reset();
    selection_.reset();
}

}  // namespace datrevo::ui
