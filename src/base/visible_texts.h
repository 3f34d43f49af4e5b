// Texts the searches show while they run: the bar's caption, the counter
// labels, the status and guide lines. Every engine and front end takes them
// from here, so that one text has one definition.
#pragma once

#include <string_view>

namespace datrevo {

// Progress bar caption.
inline constexpr std::string_view kCompletedCaption = "Completed ";
// ... at the start of an Advance phase.
inline constexpr std::string_view kPhaseStartCaption = "0  % Completed ";

// Counter labels of the search page.
inline constexpr std::string_view kDirectoriesFoundLabel = "Directories Found\t\t:";
inline constexpr std::string_view kMftFoundLabel = "MFT Found\t\t\t:";
inline constexpr std::string_view kBootSectorsFoundLabel = "Boot Sectors Found\t\t:";

// Status lines.
inline constexpr std::string_view kStatusValidating = "Validating Partition ...";
inline constexpr std::string_view kInferringStatus = "Calculating Partition Params...";
inline constexpr std::string_view kLinkingStatus = "Searching Lost Directories. Please Wait...";
inline constexpr std::string_view kStoringStatus = "Storing Directory Information. Please Wait...";

// Guide line while work runs.
inline constexpr std::string_view kGuidePleaseWait = "Please wait...";

}  // namespace datrevo
