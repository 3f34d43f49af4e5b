#include "fat/sector_runs.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "base/limits.h"

namespace datrevo {
namespace {

// Reads one run into `buffer`. A failed read leaves the unreadable sectors as
// the buffer held them: read again over zeros, so that an earlier run's
// sectors are not tested twice.
void ReadRun(const DiskReader& disk, std::uint64_t first, std::uint32_t count,
             std::vector<std::uint8_t>& buffer) {
    if (disk.ReadSectors(first, count, buffer.data()) != 0) return;
    std::fill(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(count) *
                                                   static_cast<std::ptrdiff_t>(limits::kSectorSize),
              0);
    disk.ReadSectors(first, count, buffer.data());
}

// Two run buffers handed between a reading thread and the scanning one, so
// that the next run is read while the current one is tested.
class RunPipeline {
public:
    explicit RunPipeline(std::size_t bufferBytes) {
        for (Slot& slot : slots_) slot.bytes.resize(bufferBytes);
    }

    struct Slot {
        std::vector<std::uint8_t> bytes;
        std::uint64_t first = 0;
        std::uint32_t count = 0;
        bool full = false;
    };

    // Reader side: waits for slot `index` to be free; false when the scan quit.
    bool acquireEmpty(std::size_t index) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return quit_ || !slots_[index].full; });
        return !quit_;
    }
    void publish(std::size_t index) {
        {
            std::lock_guard lock(mutex_);
            slots_[index].full = true;
        }
        changed_.notify_all();
    }
    // Scanner side.
    Slot& awaitFull(std::size_t index) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return slots_[index].full; });
        return slots_[index];
    }
    void release(std::size_t index) {
        {
            std::lock_guard lock(mutex_);
            slots_[index].full = false;
        }
        changed_.notify_all();
    }
    void quit() {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        changed_.notify_all();
    }
    Slot& slot(std::size_t index) { return slots_[index]; }

private:
    std::array<Slot, 2> slots_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool quit_ = false;
};

}  // namespace

std::uint64_t ClampScanEnd(const DiskReader& disk, std::uint64_t end) {
    const std::uint64_t total = disk.totalSectors();
    return total == 0 ? end : std::min(end, total);
}

bool ForEachSectorRun(const DiskReader& disk, std::uint64_t start, std::uint64_t end,
                      std::uint32_t runSectors, const std::stop_token& stop,
                      const std::function<bool(std::uint64_t first, ByteView run)>& visit) {
    if (runSectors == 0 || start >= end) return !stop.stop_requested();
    const std::uint64_t runs = (end - start + runSectors - 1) / runSectors;
    RunPipeline pipeline(static_cast<std::size_t>(runSectors) * limits::kSectorSize);
    std::jthread reader([&] {
        for (std::uint64_t k = 0; k < runs; ++k) {
            const std::size_t index = k % 2;
            if (!pipeline.acquireEmpty(index)) return;
            RunPipeline::Slot& slot = pipeline.slot(index);
            slot.first = start + k * runSectors;
            slot.count = static_cast<std::uint32_t>(std::min<std::uint64_t>(runSectors, end - slot.first));
            ReadRun(disk, slot.first, slot.count, slot.bytes);
            pipeline.publish(index);
        }
    });
    bool stopped = false;
    for (std::uint64_t k = 0; k < runs; ++k) {
        if (stop.stop_requested()) {
            stopped = true;
            break;
        }
        const std::size_t index = k % 2;
        RunPipeline::Slot& slot = pipeline.awaitFull(index);
        const bool goOn = visit(slot.first, ByteView(slot.bytes.data(),
                                                     static_cast<std::size_t>(slot.count) * limits::kSectorSize));
        pipeline.release(index);
        if (!goOn) break;
    }
    pipeline.quit();
    return !stopped && !stop.stop_requested();
}

}  // namespace datrevo
