// Identity of an item of the browsing tree, kept by the structures that the
// tree shows (partitions, folders). 0 means no item.
#pragma once

#include <cstdint>

namespace datrevo {

using ItemId = std::uint32_t;
inline constexpr ItemId kNoItem = 0;

}  // namespace datrevo
