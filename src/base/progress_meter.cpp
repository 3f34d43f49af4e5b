#include "base/progress_meter.h"

namespace datrevo {
namespace {
__extension__ typedef unsigned __int128 Wide;
}  // namespace

int PercentOf(std::uint64_t done, std::uint64_t total) {
    if (total == 0 || done >= total) return 100;
    // Below the total the quotient is below 100; 128 bits keep done x 100 exact.
    return static_cast<int>(static_cast<Wide>(done) * 100 / total);
}

ProgressMeter::ProgressMeter(RecoveryObserver& observer, std::uint64_t total,
                             std::string_view caption)
    : observer_(observer), total_(total), caption_(caption) {}

bool ProgressMeter::moved(std::uint64_t done) {
    pending_ = percentOf(done);
    return pending_ != shown_;
}

void ProgressMeter::set(int percent, std::string_view caption) {
    if (percent == shown_ && caption == shownCaption_) return;
    shown_ = percent;
    shownCaption_ = caption;
    observer_.progress(percent, caption);
}

}  // namespace datrevo
