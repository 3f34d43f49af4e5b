// Progress of a scan, passed on to the observer only when the bar would
// change: a scan that sets the same percentage for every run of a large
// partition does not flood the front end.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/observer.h"

namespace datrevo {

inline constexpr std::string_view kCompletedCaption = "Completed ";

// done x 100 / total, capped at 100; 0 when total is 0.
inline int Percent(std::uint64_t done, std::uint64_t total) {
    if (total == 0) return 0;
    const std::uint64_t scaled = done >= UINT64_MAX / 100 ? 100 : done * 100 / total;
    return static_cast<int>(std::min<std::uint64_t>(scaled, 100));
}

class ProgressReporter {
public:
    explicit ProgressReporter(RecoveryObserver& observer) : observer_(observer) {}

    void set(int percent, std::string_view caption = kCompletedCaption) {
        if (percent == last_ && caption == lastCaption_) return;
        last_ = percent;
        lastCaption_ = caption;
        observer_.progress(percent, caption);
    }
    void reset() { set(0); }
    int last() const { return last_; }

private:
    RecoveryObserver& observer_;
    int last_ = -1;
    std::string lastCaption_;
};

}  // namespace datrevo
