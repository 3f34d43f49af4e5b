// The worker that fills the file list, one at a time.
#pragma once

#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>
#include <vector>

#include "browse/file_row.h"

namespace datrevo {

// Runs a list fill on its own thread. Starting a new fill stops the running
// one first and waits for it, so two fills never touch the folder-node list
// at once; a stopped fill delivers nothing. The fill must look at its stop
// token between rows and sectors.
class PopulateTask {
public:
    using Fill = std::function<std::vector<FileRow>(std::stop_token)>;
    // Called on the worker thread with the finished rows; the front end
    // posts them to its own thread.
    using Deliver = std::function<void(std::vector<FileRow>)>;

    PopulateTask() = default;
    ~PopulateTask() { stop(); }
    PopulateTask(const PopulateTask&) = delete;
    PopulateTask& operator=(const PopulateTask&) = delete;

    void start(Fill fill, Deliver deliver);
    // Stops the running fill, if any, and waits until it has ended.
    void stop();

private:
    std::mutex mutex_;
    std::jthread worker_;
};

}  // namespace datrevo
