// The worker threads of a recovery: the search of a partition, the recovery
// of a chosen Advance file system, and the lost-partition search. At most one
// of each kind runs at a time; each can be stopped, cooperatively: the stop
// is seen between reads, and the phases after a scan run on what was found,
// so the tables and the folder-node list are never left half-written.
//
// A worker calls its completion function on its own thread when it ends. The
// front end that owns the context keeps its hands off it while a worker runs.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

#include "partition/lost_partition_search.h"
#include "recovery/recovery_context.h"
#include "search/search_phases.h"

namespace datrevo {

class SearchWorkers {
public:
    using SearchDone = std::function<void(const SearchOutcome&)>;
    using LostPartitionsDone = std::function<void(const LostPartitionSearchResult&)>;

    explicit SearchWorkers(RecoveryContext& context) : context_(context) {}
    // Stops every worker and waits for it.
    ~SearchWorkers();
    SearchWorkers(const SearchWorkers&) = delete;
    SearchWorkers& operator=(const SearchWorkers&) = delete;

    // Each returns false, starting nothing, when a worker of its kind runs.
    bool startPartitionSearch(SearchDone done);
    bool startVolumeRecovery(int volume, SearchDone done);
    bool startLostPartitionSearch(LostPartitionsDone done);

    // "Stop Search": the running search ends its scan and finishes with what
    // it found. Harmless when none runs.
    void stopSearch();
    // Leaving the program: the running search ends whatever phase it is in
    // (scan, linking, storing, naming, assignment), keeping what it built.
    void abandonSearch();
    void stopLostPartitionSearch();

    bool searchRunning() const { return searchRunning_; }
    bool lostPartitionSearchRunning() const { return lostRunning_; }

    // Waits until every worker has ended.
    void wait();

private:
    // `body` gets the scan's stop (Stop Search or leaving) and the abandon
    // stop (leaving only).
    bool startSearch(std::function<SearchOutcome(std::stop_token, std::stop_token)> body,
                     SearchDone done);

    RecoveryContext& context_;
    std::mutex mutex_;           // guards starting and joining the threads
    std::stop_source scanStop_;  // "Stop Search" of the running search
    std::jthread search_;        // its own stop token: leaving
    std::jthread lostPartitions_;
    std::atomic<bool> searchRunning_{false};
    std::atomic<bool> lostRunning_{false};
};

}  // namespace datrevo
