#include "device/platform/device_threads.h"

#include <gtest/gtest.h>

#include <atomic>

namespace zk {
namespace {

struct Counter {
    DeviceLock lock;
    long value = 0;  // guarded by lock
};

void AddMany(void* context) {
    auto* counter = static_cast<Counter*>(context);
    for (int i = 0; i < 100000; ++i) {
        DeviceLockHold hold(counter->lock);
        ++counter->value;
    }
}

TEST(DeviceThreadsTest, TheLockKeepsTwoThreadsFromLosingUpdates) {
    Counter counter;
    DeviceThread first, second;
    ASSERT_TRUE(first.Start(AddMany, &counter));
    ASSERT_TRUE(second.Start(AddMany, &counter));
    first.Join();
    second.Join();
    EXPECT_EQ(counter.value, 200000);
}

void Mark(void* context) { static_cast<std::atomic<int>*>(context)->fetch_add(1); }

TEST(DeviceThreadsTest, AThreadRunsOnceAndIsWaitedFor) {
    std::atomic<int> runs{0};
    {
        DeviceThread thread;
        EXPECT_FALSE(thread.Started());
        thread.Join();  // nothing started: returns at once
        ASSERT_TRUE(thread.Start(Mark, &runs));
        EXPECT_TRUE(thread.Started());
        EXPECT_FALSE(thread.Start(Mark, &runs));  // one at a time
    }                                             // the destructor waits
    EXPECT_EQ(runs.load(), 1);
}

}  // namespace
}  // namespace zk
