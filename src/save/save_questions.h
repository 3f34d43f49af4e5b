// The two questions a save may ask: an existing file in the way, and a
// failed write. The GUI answers them with its dialogs, the command line from
// its flags, tests with scripts.
#pragma once

#include <string>
#include <vector>

#include "base/prompter.h"

namespace datrevo {

enum class ReplaceAction {
    Overwrite,  // replace the existing file
    Rename,     // write under the new name
    Skip,       // leave this file out
    Cancel,     // end the save
};

struct ReplaceAnswer {
    ReplaceAction action = ReplaceAction::Skip;
    std::string newName;      // Rename: the name to write under (made safe before use)
    bool applyToAll = false;  // the same action for every later file in the way, this save
};

enum class WriteErrorAction {
    Abort,    // end the save
    Skip,     // leave this file out
    SkipAll,  // leave out this and every later file that fails, without asking
};

class SaveQuestions {
public:
    virtual ~SaveQuestions() = default;
    // `existingName` is in the way; `proposedName` is a free name beside it.
    virtual ReplaceAnswer askReplace(const std::string& existingName,
                                     const std::string& proposedName) = 0;
    // Writing `path` (under the destination) failed for `reason`.
    virtual WriteErrorAction askWriteError(const std::string& path, const std::string& reason) = 0;
};

inline constexpr const char* kReplaceCaption = "Replace File Confirmation";
inline constexpr const char* kWriteErrorCaption = "Error Writing Destination";

// The questions asked through a Prompter's choice question. Replace answers,
// by index: "Overwrite", "Rename", "Skip", "Cancel", then the first three
// for all files; write-error answers: "&Abort", "&Skip", "Skip All". Esc and
// the close box give "Skip" in both.
class PrompterSaveQuestions : public SaveQuestions {
public:
    explicit PrompterSaveQuestions(Prompter& prompter) : prompter_(prompter) {}
    ReplaceAnswer askReplace(const std::string& existingName,
                             const std::string& proposedName) override;
    WriteErrorAction askWriteError(const std::string& path, const std::string& reason) override;

    static const std::vector<std::string>& ReplaceAnswers();
    static const std::vector<std::string>& WriteErrorAnswers();

private:
    Prompter& prompter_;
};

// Fixed answers, as the command line's flags give them.
class FixedSaveQuestions : public SaveQuestions {
public:
    FixedSaveQuestions(ReplaceAction onExisting, WriteErrorAction onError)
        : onExisting_(onExisting), onError_(onError) {}
    ReplaceAnswer askReplace(const std::string&, const std::string& proposedName) override {
        return {onExisting_, proposedName, true};
    }
    WriteErrorAction askWriteError(const std::string&, const std::string&) override {
        return onError_;
    }

private:
    ReplaceAction onExisting_;
    WriteErrorAction onError_;
};

}  // namespace datrevo
