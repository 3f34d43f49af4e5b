// Texts the searches show the user when they end.
#pragma once

#include <string_view>

#include "base/visible_texts.h"

namespace datrevo {

inline constexpr std::string_view kStandardNothingFoundNotice =
    "Recovery is not possible in Standard Search mode, use Advance Search to recover your data.";
inline constexpr std::string_view kAdvanceNothingFoundNotice =
    "No file system could be identified. Recovery is not possible in Advance Search mode.";

inline constexpr std::string_view kGuideStandardDone =
    "Select Files and Folders from left panel Directories' Tree and Click on 'Save' button in "
    "Toolbar to save recovered Files and Folders.";
inline constexpr std::string_view kGuideStopped =
    "Select Files and Folders from left Panel Directories' Tree and Click on 'Save' button in "
    "Toolbar to save recovered Files and Folders.";
inline constexpr std::string_view kGuideAdvanceChoose =
    "Press 'Next' button to Recover Data. Or to select another Partition press 'Back' button.";
inline constexpr std::string_view kGuideAdvanceNothing =
    "No File System could be identified. Click on 'Back' button to select another Partition.";

}  // namespace datrevo
