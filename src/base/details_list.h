// The "Name"/"Value" details list beside the tree: disk, partition and volume
// details for the user. It holds no catalogue data.
#pragma once

#include <string>
#include <vector>

namespace datrevo {

struct DetailsRow {
    std::string name;
    std::string value;
};

using DetailsList = std::vector<DetailsRow>;

}  // namespace datrevo
