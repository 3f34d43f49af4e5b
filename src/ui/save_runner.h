// A save started from the window: the destination, the counting of what to
// write on a worker, then the copy on a worker with the progress window, the
// two questions asked on the window's thread, and the summary at the end.
// Workers never touch a widget; the window's event loop keeps running.
#pragma once

#include <QObject>
#include <QPointer>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "base/prompter.h"
#include "browse/result_volume.h"
#include "save/save_plan.h"
#include "save/save_task.h"
#include "recovery/recovery_context.h"
#include "ui/save_dialogs.h"

class QWidget;

namespace datrevo::ui {

class CountingDialog;
class SaveProgressDialog;

inline constexpr const char* kNothingSelectedMessage =
    "Select the Files and Folders to save: check folders in the left Panel Directories' Tree, "
    "or select files in the list.";
inline constexpr const char* kNothingToSaveMessage = "There is nothing to save in the selection.";

class SaveRunner : public QObject {
    Q_OBJECT
public:
    // `window` parents the dialogs; the context must outlive the runner.
    SaveRunner(QWidget* window, RecoveryContext& context, Prompter& prompter);
    ~SaveRunner() override;  // stops and joins a running save

    void setDialogs(SaveDialogs* dialogs) { dialogs_ = dialogs; }
    // Whether a counting or saving worker runs (or its end is not yet shown).
    bool running() const { return running_; }
    // Asks for the destination, then counts and saves on workers.
    void start(SaveSelection selection);
    // Stops a running save cooperatively and waits for its worker.
    void stop();
    // Runs on the window's thread once a save has ended and its summary was shown.
    std::function<void()> onFinished;

    const std::string& lastDestination() const { return destination_; }
    const std::optional<SaveSummary>& lastSummary() const { return summary_; }

private:
    class WindowQuestions;
    class WindowProgress;

    void planned(std::shared_ptr<SavePlan> plan);
    void saved(SaveSummary summary);
    void finish();
    std::string diskPath() const;

    QWidget* window_;
    RecoveryContext& context_;
    Prompter& prompter_;
    QtSaveDialogs qtDialogs_;
    SaveDialogs* dialogs_ = &qtDialogs_;

    bool running_ = false;
    int generation_ = 0;  // a save's reports are dropped once it was stopped
    std::string destination_;
    std::optional<SaveSummary> summary_;
    std::shared_ptr<SaveSelection> selection_;  // the plan points into its rows
    std::shared_ptr<ResultVolume> volume_;      // the plan lists its files, the task reads them
    std::unique_ptr<WindowQuestions> questions_;
    std::unique_ptr<WindowProgress> progress_;
    std::unique_ptr<SaveTask> task_;
    QPointer<CountingDialog> counting_;
    QPointer<SaveProgressDialog> progressDialog_;
    std::jthread worker_;  // declared last: joined before the members it uses go
};

}  // namespace datrevo::ui
