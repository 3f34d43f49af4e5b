#include <iostream>

#include "cli/exit_codes.h"
#include "cli/search_command.h"

namespace datrevo::cli {

int RunFatSearch(CliSession&, const SearchOptions&) {
    std::cerr << "error: the FAT search is not built yet\n";
    return kExitFailure;
}

}  // namespace datrevo::cli
