// The progress bar of long work: a percentage of a total, passed on to the
// observer only when the bar would change, so that a scan of a large
// partition repaints a hundred times rather than once per sector or record.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/observer.h"
#include "base/visible_texts.h"

namespace datrevo {

// done x 100 / total, exact for every 64-bit value, capped at 100; 100 when
// the total is 0 (nothing is left to do).
int PercentOf(std::uint64_t done, std::uint64_t total);

class ProgressMeter {
public:
    explicit ProgressMeter(RecoveryObserver& observer, std::uint64_t total = 0,
                           std::string_view caption = kCompletedCaption);

    void setTotal(std::uint64_t total) { total_ = total; }
    int percentOf(std::uint64_t done) const { return PercentOf(done, total_); }

    // True when `done` gives a percentage not shown yet; the caller may then
    // show a status text of its own before calling show().
    bool moved(std::uint64_t done);
    void show() { set(pending_); }
    // Both in one, for work without a status text of its own.
    void update(std::uint64_t done) {
        if (moved(done)) show();
    }

    // Shows `percent` when it or the caption differs from what is shown.
    void set(int percent) { set(percent, caption_); }
    void set(int percent, std::string_view caption);
    void reset() { set(0); }

    // Counts `percent` as shown without showing it (a bar that stands there already).
    void markShown(int percent) {
        shown_ = percent;
        shownCaption_ = caption_;
    }

    // The percentage shown last; -1 before the first.
    int shown() const { return shown_; }

private:
    RecoveryObserver& observer_;
    std::uint64_t total_;
    std::string caption_;
    std::string shownCaption_;
    int shown_ = -1;
    int pending_ = 0;
};

}  // namespace datrevo
