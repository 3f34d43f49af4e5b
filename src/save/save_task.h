// Running a save plan: creating the folders, copying the files with their
// times, asking the replace and write-error questions, reporting progress,
// and honouring Stop and Skip.
#pragma once

#include <atomic>
#include <memory>
#include <cstdint>
#include <stop_token>
#include <string>
#include <vector>

#include "browse/file_content.h"
#include "save/destination.h"
#include "save/save_plan.h"
#include "save/save_questions.h"

namespace datrevo {

// What the progress window shows.
struct SaveProgressInfo {
    std::string fileName;       // the current file ("File Name :")
    std::string filePath;       // its path as the tree shows it ("File Path :")
    int filePercent = 0;        // share of the current file written (" Recovered Current File ")
    std::size_t filesDone = 0;  // files finished, written or not ("Total Files Recovered ")
    std::size_t fileTotal = 0;
    std::uint64_t bytesWritten = 0;  // "Total Data Recovered "
    std::uint64_t byteTotal = 0;
};

class SaveProgress {
public:
    virtual ~SaveProgress() = default;
    // At the start of each file, when its percentage moves, and at its end.
    virtual void update(const SaveProgressInfo&) {}
};

enum class SaveEnding {
    Finished,
    Stopped,    // Stop (or the stop token): ended after the current file
    Cancelled,  // "Cancel" answered to the replace question
    Aborted,    // "Abort" answered to the write-error question
    Refused,    // the destination was refused or could not be opened
};

struct SaveSummary {
    SaveEnding ending = SaveEnding::Finished;
    std::string refusal;  // why the destination was refused
    std::size_t filesSaved = 0;
    std::size_t foldersSaved = 0;
    std::size_t filesSkipped = 0;
    std::size_t foldersSkipped = 0;
    std::size_t filesFailed = 0;
    std::size_t foldersFailed = 0;
    std::uint64_t bytesWritten = 0;
    // Paths as the tree shows them.
    std::vector<std::string>
        overwritten;                      // deleted files whose first cluster another file uses now
    std::vector<std::string> uncertain;   // deleted files read from free clusters after their first
    std::vector<std::string> incomplete;  // shorter than their size, or with unreadable sectors
    std::vector<std::string> failures;    // "path: reason"
    // Written as far as they could be read, yet not the file: counted as failed.
    std::vector<std::string> encrypted;           // NTFS encrypted data
    std::vector<std::string> undecodable;         // NTFS data in a form not decoded here
    std::vector<std::string> outsideVolume;       // NTFS runs past the volume's end
    std::vector<std::string> damagedCompression;  // NTFS compressed units that do not decode
};

// The summary as lines of text for the user.
std::string SummaryText(const SaveSummary& summary);

class SaveTask {
public:
    // `content` reads the files of the plan: the result volume they belong to.
    SaveTask(SavePlan plan, std::shared_ptr<const ContentReader> content, std::string destination,
             SaveQuestions& questions, SaveProgress& progress)
        : plan_(std::move(plan)),
          content_(std::move(content)),
          destinationPath_(std::move(destination)),
          questions_(questions),
          progress_(progress) {}

    // The image file of the disk: never replaced by a copy.
    void protectFile(const std::string& path);

    // Thread-safe: the GUI's buttons, while run() works on a worker thread.
    void requestStop() { stopRequested_ = true; }  // end after the current file
    void requestSkip() { skipRequested_ = true; }  // leave the current file out

    // Runs the plan. The destination's safety is the caller's to check first
    // (SaveDestinationProblem); this only opens it. A destination that cannot
    // be opened ends the save as Refused, with the reason in `refusal`.
    SaveSummary run(std::stop_token stop = {});

private:
    enum class Step { Continue, End };
    Step saveFolder(const SaveJob& job, Destination& destination, SaveSummary& summary);
    Step saveFile(const SaveJob& job, Destination& destination, SaveSummary& summary);
    // Asks (or answers from Skip All) after a failure; counts the failure.
    Step failed(const SaveJob& job, const WriteFailure& failure, SaveSummary& summary);
    bool skippedByFailedFolder(const SaveJob& job) const;
    void report(const SaveJob* job, int percent);

    SavePlan plan_;
    std::shared_ptr<const ContentReader> content_;
    std::string destinationPath_;
    SaveQuestions& questions_;
    SaveProgress& progress_;
    std::vector<std::string> protectedPaths_;

    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> skipRequested_{false};

    // Answers that hold for the rest of this save.
    std::optional<ReplaceAction> replaceForAll_;
    bool skipAllFailures_ = false;
    std::vector<std::vector<std::string>> failedFolders_;
    struct FolderTime {
        std::vector<std::string> path;
        CopyTime time;
    };
    std::vector<FolderTime> folderTimes_;
    SaveProgressInfo info_;
};

}  // namespace datrevo
