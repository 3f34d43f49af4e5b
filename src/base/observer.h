// How long-running engine work reports to whichever front end runs it.
//
// Engines and workers never touch a window or print. They call this interface;
// the GUI posts the calls onto its own thread, the command line prints them,
// tests record them. Every method has an empty default so a front end only
// implements what it shows.
#pragma once

#include <cstdint>
#include <string_view>

namespace datrevo {

// The two counters of the search page.
enum class Counter { Folders, BootSectors };

// Why the read-failure notice was raised.
enum class ReadFailureCause {
    BulkRead,        // a multi-sector read failed and was retried sector by sector
    CorruptedTable,  // a partition table entry points at or past the disk's end
};

struct ReadFailure {
    ReadFailureCause cause = ReadFailureCause::BulkRead;
    std::uint64_t firstSector = 0;
    std::uint32_t sectorCount = 0;
};

class RecoveryObserver {
public:
    virtual ~RecoveryObserver() = default;

    // The status line below the progress bar ("Storing Directory Information. Please Wait...").
    virtual void statusText(std::string_view) {}
    // The guide line at the bottom of the window, telling the user the next action.
    virtual void guideText(std::string_view) {}
    virtual void counterLabel(Counter, std::string_view) {}
    virtual void counterValue(Counter, std::uint64_t) {}
    // Progress bar: position 0..100 and the caption drawn on it ("Completed ").
    virtual void progress(int /*percent*/, std::string_view /*caption*/) {}
    // The read-failure notice: once per failed bulk read, before its retry,
    // and when a partition table is found corrupted.
    virtual void readFailureNotice(const ReadFailure&) {}
};

// An observer that ignores everything; for callers that do not report.
inline RecoveryObserver& SilentObserver() {
    static RecoveryObserver silent;  // stateless: safe to share
    return silent;
}

}  // namespace datrevo
