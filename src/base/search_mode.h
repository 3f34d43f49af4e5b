// The two searches the user chooses between on the partition page. The
// values are the ones the recovery log stores.
#pragma once

namespace datrevo {

enum class SearchMode { Standard = 1, Advance = 2 };

}  // namespace datrevo
