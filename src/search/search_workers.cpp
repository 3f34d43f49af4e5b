#include "search/search_workers.h"

namespace datrevo {

SearchWorkers::~SearchWorkers() {
    abandonSearch();
    stopLostPartitionSearch();
    wait();
}

bool SearchWorkers::startSearch(std::function<SearchOutcome(std::stop_token, std::stop_token)> body,
                                SearchDone done) {
    std::lock_guard lock(mutex_);
    if (searchRunning_.exchange(true)) return false;
    if (search_.joinable()) search_.join();  // a finished worker's thread
    scanStop_ = std::stop_source();
    search_ = std::jthread([this, scanStop = scanStop_, body = std::move(body),
                            done = std::move(done)](std::stop_token abandon) mutable {
        // Leaving ends the scan too.
        const std::stop_callback leaving(abandon, [&scanStop] { scanStop.request_stop(); });
        const SearchOutcome outcome = body(scanStop.get_token(), abandon);
        searchRunning_ = false;
        if (done) done(outcome);
    });
    return true;
}

bool SearchWorkers::startPartitionSearch(SearchDone done) {
    return startSearch(
        [this](std::stop_token stop, std::stop_token abandon) {
            return RunPartitionSearch(context_, stop, abandon);
        },
        std::move(done));
}

bool SearchWorkers::startVolumeRecovery(int volume, SearchDone done) {
    return startSearch(
        [this, volume](std::stop_token, std::stop_token abandon) {
            return RunVolumeRecovery(context_, volume, abandon);
        },
        std::move(done));
}

bool SearchWorkers::startLostPartitionSearch(LostPartitionsDone done) {
    std::lock_guard lock(mutex_);
    if (lostRunning_.exchange(true)) return false;
    if (lostPartitions_.joinable()) lostPartitions_.join();
    lostPartitions_ = std::jthread([this, done = std::move(done)](std::stop_token stop) {
        const LostPartitionSearchResult result =
            SearchLostPartitions(context_.selectedDisk(), context_.currentDisk,
                                 context_.selectedPartitions(), context_.observer, stop);
        lostRunning_ = false;
        if (done) done(result);
    });
    return true;
}

void SearchWorkers::stopSearch() {
    std::lock_guard lock(mutex_);
    scanStop_.request_stop();
}

void SearchWorkers::abandonSearch() {
    std::lock_guard lock(mutex_);
    search_.request_stop();
}

void SearchWorkers::stopLostPartitionSearch() {
    std::lock_guard lock(mutex_);
    lostPartitions_.request_stop();
}

void SearchWorkers::wait() {
    std::lock_guard lock(mutex_);
    if (search_.joinable()) search_.join();
    if (lostPartitions_.joinable()) lostPartitions_.join();
}

}  // namespace datrevo
