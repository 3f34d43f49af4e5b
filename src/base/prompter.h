// Messages and questions to the user, asked through whichever front end runs.
//
// The GUI shows message boxes, the command line prints to stderr and answers
// questions from its flags, tests script the answers.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace datrevo {

inline constexpr std::string_view kProgramCaption = "Vantorrel Datrevo";

enum class MessageIcon { Information, Warning, Error, Question };

class Prompter {
public:
    virtual ~Prompter() = default;

    virtual void showMessage(std::string_view text, MessageIcon icon,
                             std::string_view caption = kProgramCaption) = 0;
    // A Yes/No question; No is the safe default.
    virtual bool askYesNo(std::string_view text, std::string_view caption = kProgramCaption) = 0;
    // A question with several answers; returns the index of the one chosen.
    virtual std::size_t askChoice(std::string_view text, const std::vector<std::string>& answers,
                                  std::size_t defaultAnswer,
                                  std::string_view caption = kProgramCaption) = 0;
};

}  // namespace datrevo
