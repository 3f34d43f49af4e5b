#include "save/save_questions.h"

namespace datrevo {
namespace {

// Index of "Skip" in both answer lists: what Esc and the close box answer.
constexpr std::size_t kSkipAnswer = 2;
constexpr std::size_t kWriteSkipAnswer = 1;
constexpr std::size_t kWriteAbortAnswer = 0;

}  // namespace

const std::vector<std::string>& PrompterSaveQuestions::ReplaceAnswers() {
    static const std::vector<std::string> answers = {
        "Overwrite", "Rename", "Skip", "Cancel", "Overwrite All", "Rename All", "Skip All"};
    return answers;
}

const std::vector<std::string>& PrompterSaveQuestions::WriteErrorAnswers() {
    static const std::vector<std::string> answers = {"&Abort", "&Skip", "Skip All"};
    return answers;
}

ReplaceAnswer PrompterSaveQuestions::askReplace(const std::string& existingName,
                                                const std::string& proposedName) {
    const std::string text =
        "File Name            : " + existingName + "\nNew File Name    : " + proposedName;
    const std::size_t index =
        prompter_.askChoice(text, ReplaceAnswers(), kSkipAnswer, kReplaceCaption);
    ReplaceAnswer answer;
    answer.newName = proposedName;
    switch (index) {
        case 0: answer.action = ReplaceAction::Overwrite; break;
        case 1: answer.action = ReplaceAction::Rename; break;
        case 3: answer.action = ReplaceAction::Cancel; break;
        case 4: answer = {ReplaceAction::Overwrite, proposedName, true}; break;
        case 5: answer = {ReplaceAction::Rename, proposedName, true}; break;
        case 6: answer = {ReplaceAction::Skip, proposedName, true}; break;
        default: answer.action = ReplaceAction::Skip; break;
    }
    return answer;
}

WriteErrorAction PrompterSaveQuestions::askWriteError(const std::string& path,
                                                      const std::string& reason) {
    const std::string text = "Cannot write " + path + "\n" + reason;
    const std::size_t index =
        prompter_.askChoice(text, WriteErrorAnswers(), kWriteAbortAnswer, kWriteErrorCaption);
    if (index == kWriteAbortAnswer) return WriteErrorAction::Abort;
    if (index == kWriteSkipAnswer) return WriteErrorAction::Skip;
    return index == 2 ? WriteErrorAction::SkipAll : WriteErrorAction::Skip;
}

}  // namespace datrevo
