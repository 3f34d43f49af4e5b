// Running a save of a whole search result into a temporary folder, and
// reading back what was written.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "save/save_task.h"
#include "support/image_fixture.h"

namespace datrevo::test {

// Records every progress report.
class RecordingSaveProgress : public SaveProgress {
public:
    void update(const SaveProgressInfo& info) override { reports.push_back(info); }
    std::vector<SaveProgressInfo> reports;
};

// Scripted answers, counting the questions.
class ScriptedSaveQuestions : public SaveQuestions {
public:
    ReplaceAnswer askReplace(const std::string& existing, const std::string& proposed) override {
        replaceAsked.push_back(existing + " -> " + proposed);
        ReplaceAnswer answer = replace;
        if (answer.newName.empty()) answer.newName = proposed;
        return answer;
    }
    WriteErrorAction askWriteError(const std::string& path, const std::string&) override {
        errorAsked.push_back(path);
        return onError;
    }
    ReplaceAnswer replace{ReplaceAction::Rename, "", false};
    WriteErrorAction onError = WriteErrorAction::Skip;
    std::vector<std::string> replaceAsked;
    std::vector<std::string> errorAsked;
};

// Saves every folder and file of `tree` into `destination`, the questions
// the save asks answered by `questions`.
inline SaveSummary SaveWholeTree(const FolderTree& tree, FolderContents& contents,
                                 std::shared_ptr<const ContentReader> volume,
                                 const std::filesystem::path& destination,
                                 ScriptedSaveQuestions& questions) {
    SaveSelection all;
    all.everything = true;
    RecordingSaveProgress progress;
    SaveTask task(PlanSave(tree, contents, all), std::move(volume), destination.string(), questions,
                  progress);
    return task.run();
}

// The same with the default answers.
inline SaveSummary SaveWholeTree(const FolderTree& tree, FolderContents& contents,
                                 std::shared_ptr<const ContentReader> volume,
                                 const std::filesystem::path& destination) {
    ScriptedSaveQuestions questions;
    return SaveWholeTree(tree, contents, std::move(volume), destination, questions);
}

// A temporary folder removed at the end of the test.
struct TempFolder {
    TempFolder() : path(MakeTempDir("datrevo-save")) {}
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::filesystem::path path;
};

// md5 of every file below `folder`, by path relative to it ('/' separators).
inline std::map<std::string, std::string> Md5OfFiles(const std::filesystem::path& folder) {
    const CommandResult result = RunCommand("cd " + ShellQuote(folder.string()) +
                                            " && find . -type f -print0 | xargs -0 -r md5sum");
    std::map<std::string, std::string> out;
    std::istringstream lines(result.output);
    for (std::string line; std::getline(lines, line);) {
        if (line.size() < 36) continue;
        out[line.substr(36)] = line.substr(0, 32);  // "<md5>  ./path"
    }
    return out;
}

}  // namespace datrevo::test
