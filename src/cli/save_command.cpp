#include "cli/save_command.h"

#include <unistd.h>

#include <algorithm>
#include <iostream>
#include <mutex>
#include <thread>

#include "cli/exit_codes.h"
#include "cli/interrupt.h"
#include "cli/progress_line.h"
#include "recovery/result_volume_choice.h"
#include "save/destination_preflight.h"
#include "save/save_setup.h"

namespace datrevo::cli {
namespace {

// Progress on stderr: on a terminal one line with the files done, the
// share of the bytes, the rate and the time left; otherwise a line per 10 %.
class ConsoleSaveProgress final : public SaveProgress {
public:
    explicit ConsoleSaveProgress(bool quiet)
        : display_(std::cerr, quiet, ::isatty(2) == 1 ? 2 : -1) {}
    ~ConsoleSaveProgress() override { display_.finishLine(); }

    void update(const SaveProgressInfo& info) override {
        const std::uint64_t total = info.byteTotal;
        const std::uint64_t done = std::min(info.bytesWritten, total);
        const int percent =
            total != 0
                ? static_cast<int>(done * 100 / total)
                : (info.fileTotal != 0 ? static_cast<int>(info.filesDone * 100 / info.fileTotal)
                                       : 0);
        const std::size_t current = std::min(info.filesDone + 1, info.fileTotal);
        display_.show("Saving file " + std::to_string(current) + " of " +
                          std::to_string(info.fileTotal) + ": " + info.filePath,
                      percent, done, total);
    }
    void tick() { display_.tick(); }
    void finish() { display_.finishLine(); }

private:
    ProgressDisplay display_;
};

// The paths the summary and the progress show, '/'-separated as the command
// line takes them (--list, --select).
void UseSlashes(SavePlan& plan) {
    for (SaveJob& job : plan.jobs)
        std::replace(job.shownPath.begin(), job.shownPath.end(), '\\', '/');
}

std::string DiskPath(CliSession& session) {
    const RecoveryContext& context = session.context();
    return context.slots.path(context.search.selectedDisk);
}

}  // namespace

int CheckSaveDestination(CliSession& session, const CliSaveOptions& options) {
    if (options.destination.empty()) {
        std::cerr << "No destination folder given (--save DIR).\n";
        return kExitUsage;
    }
    const std::string problem = SaveDestinationProblem(options.destination, DiskPath(session));
    if (problem.empty()) return kExitOk;
    std::cerr << "error: " << problem << "\n";
    return kExitUsage;
}

int SaveExitStatus(const SaveSummary& summary) {
    switch (summary.ending) {
        case SaveEnding::Stopped: return kExitStopped;
        case SaveEnding::Refused:
        case SaveEnding::Cancelled:
        case SaveEnding::Aborted: return kExitFailure;
        case SaveEnding::Finished: break;
    }
    if (summary.filesFailed != 0 || summary.foldersFailed != 0 || !summary.incomplete.empty())
        return kExitIncomplete;
    return kExitOk;
}

int RunSaveCommand(CliSession& session, const CliSaveOptions& options) {
    RecoveryContext& context = session.context();
    // Checked before the search too; the folder may have changed meanwhile.
    if (const int status = CheckSaveDestination(session, options); status != kExitOk) return status;
    if (context.folders.root() == kNoItem) {
        std::cerr << "There is no search result to save.\n";
        return kExitNothingFound;
    }

    const std::shared_ptr<ResultVolume> volume = MakeResultVolume(context);
    const std::unique_ptr<FolderContents> contents = MakeFolderContents(context.folders, volume);
    SaveSelection selection;
    selection.streams = options.streams;
    selection.systemFiles = options.systemFiles;
    if (options.selects.empty()) selection.everything = true;
    for (const std::string& path : options.selects) {
        if (!SelectPath(context.folders, *contents, path, selection)) {
            std::cerr << "Not in the result: " << path << "\n";
            return kExitUsage;
        }
    }
    SavePlan plan = PlanSave(context.folders, *contents, selection);
    UseSlashes(plan);
    if (plan.fileCount == 0 && plan.folderCount == 0) {
        std::cout << "Nothing to save.\n";
        return kExitNothingFound;
    }

    FixedSaveQuestions questions(options.onExisting, WriteErrorAction::Skip);
    ConsoleSaveProgress progress(session.options().quiet);
    SaveTask task(std::move(plan), volume, options.destination, questions, progress);
    task.protectFile(DiskPath(session));
    // Ctrl-C ends the save after the current file, which is finished or removed.
    SaveSummary summary;
    bool running = true;
    std::mutex mutex;
    std::jthread worker([&] {
        SaveSummary result = task.run();
        const std::lock_guard lock(mutex);
        summary = std::move(result);
        running = false;
    });
    WaitWithInterrupt(
        [&] {
            const std::lock_guard lock(mutex);
            return running;
        },
        [&] { task.requestStop(); }, [&] { progress.tick(); });
    worker.join();
    progress.finish();

    if (summary.ending == SaveEnding::Refused) {
        std::cerr << SummaryText(summary);
        return kExitFailure;
    }
    std::cout << SummaryText(summary);
    const int status = SaveExitStatus(summary);
    if (status == kExitIncomplete)
        std::cerr << "error: " << summary.filesFailed + summary.foldersFailed << " failed and "
                  << summary.incomplete.size() << " incomplete: see the summary above\n";
    else if (status == kExitStopped)
        std::cerr << "Save stopped by the user.\n";
    return status;
}

}  // namespace datrevo::cli
