// Progress of a long NTFS phase, passed on only when the percentage moves,
// so that a front end repaints a hundred times per phase rather than once
// per record.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "base/observer.h"

namespace datrevo {

inline constexpr std::string_view kNtfsCompletedCaption = "Completed ";

class PercentReporter {
public:
    PercentReporter(RecoveryObserver& observer, std::uint64_t total)
        : observer_(observer), total_(total) {}

    // True when `done` of the total gives a percentage (capped at 100) not
    // shown yet; the caller then shows its status text and calls show().
    bool moved(std::uint64_t done) {
        pending_ = total_ == 0 ? 100
                               : static_cast<int>(std::min<std::uint64_t>(done * 100 / total_, 100));
        return pending_ != last_;
    }
    void show() {
        last_ = pending_;
        observer_.progress(last_, kNtfsCompletedCaption);
    }
    // Both in one, for phases without a status text of their own.
    void update(std::uint64_t done) {
        if (moved(done)) show();
    }

private:
    RecoveryObserver& observer_;
    std::uint64_t total_;
    int last_ = -1;
    int pending_ = 0;
};

}  // namespace datrevo
