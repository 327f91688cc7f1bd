// SPDX-License-Identifier: GPL-3.0-or-later
// The activity the event thread and the readers run on: flags, restart, and an owner that may
// destroy it as soon as wait() returns (the sanitizer builds catch a pooled thread that still
// touches it then).

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "device/PooledActivity.h"

namespace {

struct Worker {
  std::atomic<int> runs{0};
  bool loop = false;
  std::unique_ptr<PooledActivity<Worker>> activity =
      std::make_unique<PooledActivity<Worker>>(this, &Worker::Body);
  void Body() {
    ++runs;
    while (loop && !activity->isStopped()) std::this_thread::yield();
  }
};

TEST(PooledActivityTest, FlagsFollowStartStopAndEnd) {
  Worker worker;
  worker.loop = true;
  EXPECT_FALSE(worker.activity->isRunning());
  EXPECT_TRUE(worker.activity->isStopped());
  worker.activity->start();
  EXPECT_TRUE(worker.activity->isRunning());
  EXPECT_FALSE(worker.activity->isStopped());
  worker.activity->start();  // already running: nothing
  worker.activity->stop();
  worker.activity->wait();
  EXPECT_FALSE(worker.activity->isRunning());
  EXPECT_EQ(worker.runs, 1);
  worker.activity->start();  // a stopped activity runs again
  worker.activity->stop();
  worker.activity->wait();
  EXPECT_EQ(worker.runs, 2);
}

TEST(PooledActivityTest, MayBeDestroyedRightAfterWait) {
  for (int round = 0; round < 500; ++round) {
    Worker worker;
    worker.activity->start();
    worker.activity->wait();
    worker.activity.reset();
    ASSERT_EQ(worker.runs, 1);
  }
}

}  // namespace
