#include "save/save_task.h"

#include <algorithm>
#include <cerrno>
#include <sstream>

#include <sys/stat.h>

#include "base/progress_meter.h"
#include "save/safe_name.h"

namespace datrevo {
namespace {

bool StartsWith(const std::vector<std::string>& path, const std::vector<std::string>& prefix) {
    return path.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), path.begin());
}

void AppendList(std::ostringstream& out, const char* heading,
                const std::vector<std::string>& paths) {
    if (paths.empty()) return;
    out << heading << "\n";
    for (const std::string& path : paths) out << "  " << path << "\n";
}

// Where a copy that is not the file is listed.
std::vector<std::string>* FailureList(SaveSummary& summary, ContentFailure failure) {
    switch (failure) {
        case ContentFailure::None: return nullptr;
        case ContentFailure::Encrypted: return &summary.encrypted;
        case ContentFailure::Undecodable: return &summary.undecodable;
        case ContentFailure::OutsideVolume: return &summary.outsideVolume;
        case ContentFailure::DamagedCompression: return &summary.damagedCompression;
    }
    return nullptr;
}

}  // namespace

std::string SummaryText(const SaveSummary& summary) {
    std::ostringstream out;
    switch (summary.ending) {
        case SaveEnding::Finished: out << "Save finished.\n"; break;
        case SaveEnding::Stopped: out << "Save stopped.\n"; break;
        case SaveEnding::Cancelled: out << "Save cancelled.\n"; break;
        case SaveEnding::Aborted: out << "Save aborted after a write error.\n"; break;
        case SaveEnding::Refused:
            out << "Nothing saved: " << summary.refusal << "\n";
            return out.str();
    }
    out << "Files saved: " << summary.filesSaved << ", skipped: " << summary.filesSkipped
        << ", failed: " << summary.filesFailed << "\n";
    out << "Folders saved: " << summary.foldersSaved << ", skipped: " << summary.foldersSkipped
        << ", failed: " << summary.foldersFailed << "\n";
    out << "Bytes written: " << summary.bytesWritten << "\n";
    AppendList(out,
               "Deleted files whose first cluster is used by another file now (overwritten; the "
               "copy holds what lies there now):",
               summary.overwritten);
    AppendList(out,
               "Deleted files read from free clusters after their first (may be incomplete or "
               "mixed with other data):",
               summary.uncertain);
    AppendList(
        out,
        "Files copied incomplete (shorter than their size, or with unreadable sectors as zeros):",
        summary.incomplete);
    AppendList(out, "Failures:", summary.failures);
    AppendList(out,
               "Failed, encrypted (the copy holds the encrypted bytes; it cannot be read without "
               "the owner's key):",
               summary.encrypted);
    AppendList(out,
               "Failed, stored in a form this program does not decode (the copy holds the bytes as "
               "stored):",
               summary.undecodable);
    AppendList(out, "Failed, parts lie outside the volume (zeros stand for them in the copy):",
               summary.outsideVolume);
    AppendList(out,
               "Failed, compressed data damaged (zeros stand for what could not be decompressed):",
               summary.damagedCompression);
    return out.str();
}

void SaveTask::protectFile(const std::string& path) { protectedPaths_.push_back(path); }

void SaveTask::report(const SaveJob* job, int percent) {
    if (job != nullptr) {
        info_.fileName = job->path.empty() ? std::string() : job->path.back();
        info_.filePath = job->shownPath;
    }
    info_.filePercent = percent;
    progress_.update(info_);
}

bool SaveTask::skippedByFailedFolder(const SaveJob& job) const {
    for (const auto& folder : failedFolders_)
        if (StartsWith(job.path, folder)) return true;
    return false;
}

SaveTask::Step SaveTask::failed(const SaveJob& job, const WriteFailure& failure,
                                SaveSummary& summary) {
    const bool folder = job.kind == SaveJob::Kind::Folder;
    (folder ? summary.foldersFailed : summary.filesFailed) += 1;
    summary.failures.push_back(job.shownPath + ": " + failure.message);
    if (folder) failedFolders_.push_back(job.path);
    if (skipAllFailures_) return Step::Continue;
    switch (questions_.askWriteError(JoinedPath(job), failure.message)) {
        case WriteErrorAction::Abort: summary.ending = SaveEnding::Aborted; return Step::End;
        case WriteErrorAction::SkipAll: skipAllFailures_ = true; return Step::Continue;
        case WriteErrorAction::Skip: return Step::Continue;
    }
    return Step::Continue;
}

SaveTask::Step SaveTask::saveFolder(const SaveJob& job, Destination& destination,
                                    SaveSummary& summary) {
    WriteFailure failure;
    UniqueFd folder = destination.openFolder(job.path, job.path.size(), failure);
    if (!folder.valid()) return failed(job, failure, summary);
    ++summary.foldersSaved;
    if (job.modified) folderTimes_.push_back({job.path, *job.modified});
    return Step::Continue;
}

SaveTask::Step SaveTask::saveFile(const SaveJob& job, Destination& destination,
                                  SaveSummary& summary) {
    skipRequested_ = false;  // a Skip pressed for an earlier file does not carry over
    report(&job, 0);
    WriteFailure failure;
    UniqueFd folder = destination.openFolder(job.path, job.path.size() - 1, failure);
    if (!folder.valid()) return failed(job, failure, summary);

    // A file in the way: the replace question, or the answer given for all.
    std::string name = job.path.back();
    bool replace = false;
    if (Destination::typeOf(folder.get(), name) != EntryType::Missing) {
        const auto taken = [&](const std::string& candidate) {
            return Destination::typeOf(folder.get(), candidate) != EntryType::Missing;
        };
        const std::string proposed = FirstFreeName(name, taken);
        ReplaceAnswer answer{ReplaceAction::Skip, proposed, false};
        if (replaceForAll_) {
            answer.action = *replaceForAll_;
        } else {
            answer = questions_.askReplace(name, proposed);
            if (answer.applyToAll) replaceForAll_ = answer.action;
        }
        switch (answer.action) {
            case ReplaceAction::Cancel: summary.ending = SaveEnding::Cancelled; return Step::End;
            case ReplaceAction::Skip: ++summary.filesSkipped; return Step::Continue;
            case ReplaceAction::Overwrite: replace = true; break;
            case ReplaceAction::Rename: {
                const std::string wanted =
                    replaceForAll_ || answer.newName.empty() ? proposed : SafeName(answer.newName);
                name = taken(wanted) ? FirstFreeName(wanted, taken) : wanted;
                break;
            }
        }
    }
    if (replace) {
        if (destination.isProtected(folder.get(), name))
            return failed(job,
                          {EPERM, "This is the disk image being recovered; it is never replaced."},
                          summary);
        if (Destination::typeOf(folder.get(), name) != EntryType::File)
            return failed(job, {EISDIR, "Something other than a file of this name is in the way."},
                          summary);
        if (!Destination::removeFile(folder.get(), name))
            return failed(job, {errno, WriteFailureText(errno)}, summary);
    }

    const std::optional<std::uint64_t> free = Destination::freeBytes(folder.get());
    if (free && *free < job.source.size)
        return failed(job,
                      {ENOSPC, "There is not enough free space on the destination (" +
                                   std::to_string(job.source.size) + " bytes needed, " +
                                   std::to_string(*free) + " free)."},
                      summary);

    UniqueFd file = Destination::createFile(folder.get(), name, failure);
    if (!file.valid()) return failed(job, failure, summary);

    bool writeFailed = false;
    bool skipped = false;
    std::uint64_t written = 0;
    int lastPercent = 0;
    // No stop token: Stop ends the save after the current file, which is read whole.
    const ContentReport content =
        content_->readContent(job.source,
                              [&](std::span<const std::uint8_t> piece) {
                                  if (skipRequested_.exchange(false)) {
                                      skipped = true;
                                      return false;
                                  }
                                  if (!Destination::writeAll(file.get(), piece, failure)) {
                                      writeFailed = true;
                                      return false;
                                  }
                                  written += piece.size();
                                  info_.bytesWritten += piece.size();
                                  const int percent = PercentOf(written, job.source.size);
                                  if (percent != lastPercent) {
                                      lastPercent = percent;
                                      report(nullptr, percent);
                                  }
                                  return true;
                              },
                              {});

    if (!skipped && !writeFailed && job.modified) Destination::setTime(file.get(), *job.modified);
    const int closeError = file.reset();
    if (!writeFailed && closeError != 0) {
        writeFailed = true;
        failure = {closeError, WriteFailureText(closeError)};
    }
    if (skipped || writeFailed) {
        // A part-written copy would pass for the file: it goes.
        Destination::removeFile(folder.get(), name);
        info_.bytesWritten -= written;
        if (skipped) {
            ++summary.filesSkipped;
            return Step::Continue;
        }
        return failed(job, failure, summary);
    }
    summary.bytesWritten += written;
    if (std::vector<std::string>* list = FailureList(summary, content.failure)) {
        ++summary.filesFailed;
        list->push_back(job.shownPath);
        return Step::Continue;
    }
    ++summary.filesSaved;
    if (content.overwritten)
        summary.overwritten.push_back(job.shownPath);
    else if (content.freeClusterGuess)
        summary.uncertain.push_back(job.shownPath);
    if (content.incomplete || content.unreadable) summary.incomplete.push_back(job.shownPath);
    return Step::Continue;
}

SaveSummary SaveTask::run(std::stop_token stop) {
    SaveSummary summary;
    WriteFailure failure;
    std::optional<Destination> destination = Destination::Open(destinationPath_, failure);
    if (!destination) {
        summary.ending = SaveEnding::Refused;
        summary.refusal = failure.message;
        return summary;
    }
    for (const std::string& path : protectedPaths_) {
        struct stat info {};
        if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
            destination->protect(info.st_dev, info.st_ino);
    }
    info_ = {};
    info_.fileTotal = plan_.fileCount;
    info_.byteTotal = plan_.byteCount;

    for (const SaveJob& job : plan_.jobs) {
        if (stopRequested_ || stop.stop_requested()) {
            summary.ending = SaveEnding::Stopped;
            break;
        }
        const bool folder = job.kind == SaveJob::Kind::Folder;
        if (job.path.empty()) continue;
        if (skippedByFailedFolder(job)) {
            (folder ? summary.foldersSkipped : summary.filesSkipped) += 1;
            if (!folder) ++info_.filesDone;
            continue;
        }
        const Step step =
            folder ? saveFolder(job, *destination, summary) : saveFile(job, *destination, summary);
        if (!folder) {
            ++info_.filesDone;
            report(&job, 100);
        }
        if (step == Step::End) break;
    }

    // Folder times last, deepest first: writing inside a folder moves its time.
    for (auto it = folderTimes_.rbegin(); it != folderTimes_.rend(); ++it) {
        WriteFailure ignored;
        UniqueFd folder = destination->openFolder(it->path, it->path.size(), ignored);
        if (folder.valid()) Destination::setTime(folder.get(), it->time);
    }
    return summary;
}

}  // namespace datrevo
