#include <gtest/gtest.h>

#include <atomic>
#include <future>

#include "browse/populate_task.h"

namespace datrevo {
namespace {

// A fill that signals it has started and then runs until it is stopped.
PopulateTask::Fill EndlessFill(std::promise<void>& started, std::atomic<bool>& sawStop) {
    return [&](std::stop_token stop) {
        started.set_value();
        while (!stop.stop_requested()) std::this_thread::yield();
        sawStop = true;
        return std::vector<FileRow>(1);
    };
}

TEST(PopulateTask, StopEndsARunningFillWithoutDelivering) {
    PopulateTask task;
    std::promise<void> started;
    std::atomic<bool> sawStop = false;
    std::atomic<int> deliveries = 0;
    task.start(EndlessFill(started, sawStop), [&](std::vector<FileRow>) { ++deliveries; });
    started.get_future().wait();
    task.stop();
    EXPECT_TRUE(sawStop);
    EXPECT_EQ(deliveries, 0);
}

TEST(PopulateTask, NewFillReplacesTheRunningOne) {
    PopulateTask task;
    std::promise<void> started;
    std::atomic<bool> firstStopped = false;
    std::atomic<int> firstDeliveries = 0;
    task.start(EndlessFill(started, firstStopped),
               [&](std::vector<FileRow>) { ++firstDeliveries; });
    started.get_future().wait();

    std::promise<std::size_t> delivered;
    task.start(
        [](std::stop_token) {
            std::vector<FileRow> rows(3);
            rows[0][0] = "second";
            return rows;
        },
        [&](std::vector<FileRow> rows) { delivered.set_value(rows.size()); });
    // The first fill was stopped before the second began.
    EXPECT_TRUE(firstStopped);
    EXPECT_EQ(delivered.get_future().get(), 3u);
    task.stop();
    EXPECT_EQ(firstDeliveries, 0);
}

TEST(PopulateTask, DestroyingTheTaskStopsItsFill) {
    std::promise<void> started;
    std::atomic<bool> sawStop = false;
    {
        PopulateTask task;
        task.start(EndlessFill(started, sawStop), [](std::vector<FileRow>) {});
        started.get_future().wait();
    }
    EXPECT_TRUE(sawStop);
}

}  // namespace
}  // namespace datrevo
