#include "cli/save_command.h"

#include <iostream>

#include "cli/exit_codes.h"
#include "save/destination_check.h"
#include "save/save_setup.h"
#include "save/save_task.h"

namespace datrevo::cli {
namespace {

// Progress on stderr, one line per file, unless quiet.
class ConsoleSaveProgress final : public SaveProgress {
public:
    explicit ConsoleSaveProgress(bool quiet) : quiet_(quiet) {}
    void update(const SaveProgressInfo& info) override {
        if (quiet_ || info.filePercent != 0) return;
        std::cerr << "Saving " << info.filesDone + 1 << "/" << info.fileTotal << ": " << info.filePath << "\n";
    }

private:
    bool quiet_;
};

}  // namespace

int RunSaveCommand(CliSession& session, const CliSaveOptions& options) {
    RecoveryContext& context = session.context();
    if (options.destination.empty()) {
        std::cerr << "No destination folder given (--save DIR).\n";
        return kExitUsage;
    }
    const std::string diskPath = context.slots.path(context.search.selectedDisk);
    const std::string refusal = DestinationRefusal(options.destination, diskPath);
    if (!refusal.empty()) {
        std::cerr << refusal << "\n";
        return kExitUsage;
    }
    if (context.folders.root() == kNoItem) {
        std::cerr << "There is no search result to save.\n";
        return kExitNothingFound;
    }

    const std::unique_ptr<FolderContents> contents = MakeFolderContents(context);
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
    if (plan.fileCount == 0 && plan.folderCount == 0) {
        std::cout << "Nothing to save.\n";
        return kExitNothingFound;
    }

    FixedSaveQuestions questions(options.onExisting, WriteErrorAction::Skip);
    ConsoleSaveProgress progress(session.options().quiet);
    SaveTask task(std::move(plan), MakeSourceVolume(context), options.destination, questions, progress);
    task.protectFile(diskPath);
    const SaveSummary summary = task.run();
    std::cout << SummaryText(summary);
    if (summary.ending == SaveEnding::Refused) return kExitFailure;
    if (summary.ending != SaveEnding::Finished || summary.filesFailed != 0 || summary.foldersFailed != 0)
        return kExitFailure;
    return kExitOk;
}

}  // namespace datrevo::cli
