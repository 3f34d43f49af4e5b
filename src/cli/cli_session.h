// One run of the command line: its options, its recovery context and the
// disk it works on.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cli/console.h"
#include "recovery/recovery_context.h"

namespace datrevo::cli {

struct GlobalOptions {
    bool quiet = false;
    std::string inventoryRoot = "/";  // tests point this at a fake sysfs tree
    std::vector<std::string> images;  // image files added as disks
};

class CliSession {
public:
    explicit CliSession(const GlobalOptions& options);

    RecoveryContext& context() { return context_; }
    ConsoleObserver& observer() { return observer_; }
    const GlobalOptions& options() const { return options_; }

    // Takes the inventory with the added images.
    void takeInventory();
    // Refuses added images that are folders, pipes or devices other than
    // block devices (they are opened to be sized): the exit code with the
    // reason on stderr, or 0.
    int checkImages() const;
    // Selects the disk named by DISK (a slot number, or the path of an image
    // or device, which is added as a disk), shows its details and checks that
    // it can be read. On failure prints the reason and returns the exit code;
    // 0 on success. Without `forReading` (details only) the disk need not be
    // readable; with it, a disk whose logical sectors are not 512 bytes is
    // refused too.
    int selectDisk(const std::string& disk, bool forReading = true);

private:
    GlobalOptions options_;
    ConsoleObserver observer_;
    ConsolePrompter prompter_;
    RecoveryContext context_;
};

}  // namespace datrevo::cli
