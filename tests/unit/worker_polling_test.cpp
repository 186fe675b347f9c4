#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

#include "core/StartupValues.h"
#include "core/ProgressState.h"
#include "core/WorkerPolling.h"

namespace {

class WorkerPollingTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        Startup() = StartupValues{};
        Startup().silent = GetParam();
    }
};

TEST_P(WorkerPollingTest, PollsWhileTheWorkerRunsAndOnceMoreAfterIt) {
    std::atomic<int> state{0};
    int polls = 0, lastSeen = -1;
    bool runningSeen = false;
    RunPolledWorker([&] { state = 1; },
                    [&] {
                        ++polls;
                        lastSeen = state;
                        runningSeen = runningSeen || LongOperationRunning();
                    });
    EXPECT_GE(polls, 1);
    EXPECT_EQ(lastSeen, 1) << "the last poll sees the worker's result";
    EXPECT_TRUE(runningSeen);
    EXPECT_FALSE(LongOperationRunning()) << "the flag is cleared afterwards";
}

TEST_P(WorkerPollingTest, AWorkersExceptionReachesTheWaitingThread) {
    EXPECT_THROW(RunPolledWorker([] { throw std::runtime_error("worker failed"); }, [] {}), std::runtime_error);
    EXPECT_FALSE(LongOperationRunning());
}

INSTANTIATE_TEST_SUITE_P(SilentOrNot, WorkerPollingTest, ::testing::Bool());

}  // namespace
