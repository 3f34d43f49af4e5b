// A wizard controller on a recovery context whose only disk is a test image,
// with worker reports queued as the window's event loop would queue them.
#pragma once

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>

#include "support/image_fixture.h"
#include "support/recording_observer.h"
#include "ui/wizard_controller.h"

namespace datrevo::test {

class WizardHarness {
public:
    WizardHarness()
        : sysRoot_(MakeTempDir("wizard-sys")),
          controller_(context_, [this](std::function<void()> report) { post(std::move(report)); }) {
        context_.inventoryOptions.root = sysRoot_;  // no real disk: the image only
        context_.inventoryOptions.queryDeviceGeometry = false;
    }
    ~WizardHarness() { std::filesystem::remove_all(sysRoot_); }

    // Lists `image` as disk 0 and opens the disk page.
    void start(const ImageCopy& image) {
        context_.inventoryOptions.images = {image.path()};
        controller_.start();
    }

    // Runs the queued worker reports until no worker of the wizard runs.
    void finishWorkers() {
        for (;;) {
            std::function<void()> report;
            {
                std::unique_lock lock(mutex_);
                if (queue_.empty() && !controller_.searchRunning() &&
                    !controller_.lostPartitionSearchRunning())
                    return;
                ready_.wait(lock, [this] { return !queue_.empty(); });
                report = std::move(queue_.front());
                queue_.pop_front();
            }
            report();
        }
    }

    ui::WizardController& wizard() { return controller_; }
    RecoveryContext& context() { return context_; }
    RecordingObserver observer;
    ScriptedPrompter prompter;

private:
    void post(std::function<void()> report) {
        {
            std::lock_guard lock(mutex_);
            queue_.push_back(std::move(report));
        }
        ready_.notify_one();
    }

    std::filesystem::path sysRoot_;
    RecoveryContext context_{observer, prompter};
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::function<void()>> queue_;
    ui::WizardController controller_;
};

}  // namespace datrevo::test
