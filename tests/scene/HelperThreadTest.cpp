// Work handed to a second core: done exactly once, finished before Finish returns, whether the
// kept worker takes it, another caller holds the worker, or no thread can start at all.

#include "scene/HelperThread.h"

#include "support/WithoutThreads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <vector>

namespace gessoria::test {
namespace {

TEST(HelperThread, WorkIsDoneOnceAndFinishedBeforeFinishReturns)
{
    // Many hand-overs in a row, as a stroke's dabs make them; the worker's work sleeps a
    // little so that Finish has to wait for it.
    std::vector<int> done(200, 0);
    for (std::size_t k = 0; k < done.size(); ++k) {
        Helper helper = StartHelper([&, k] {
            if (k % 50 == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            ++done[k];
        });
        helper.Finish();
        ASSERT_EQ(done[k], 1) << "hand-over " << k;
    }
}

TEST(HelperThread, WorkStartedWhileTheWorkerIsBusyGetsAThreadOfItsOwn)
{
    // The first helper's work waits for the second's: were the second queued behind the first
    // on the one worker, neither would ever finish.
    std::atomic<bool> secondRan{false}, firstSawSecond{false};
    std::atomic<int> finished{0};
    Helper first = StartHelper([&] {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!secondRan && std::chrono::steady_clock::now() < until)
            std::this_thread::yield();
        firstSawSecond = secondRan.load();
        ++finished;
    });
    Helper second = StartHelper([&] {
        secondRan = true;
        ++finished;
    });
    second.Finish();
    first.Finish();
    EXPECT_TRUE(firstSawSecond);
    EXPECT_EQ(finished, 2);
}

TEST(HelperThread, WithNoThreadToBeHadTheWorkRunsHere)
{
    // Once in this process first, so a worker exists that the child does not inherit.
    int parent = 0;
    StartHelper([&] { ++parent; }).Finish();
    ASSERT_EQ(parent, 1);
    EXPECT_EQ(ExitStatusWithoutThreads([] {
                  int ran = 0;
                  const std::thread::id here = std::this_thread::get_id();
                  bool elsewhere = false;
                  Helper helper = StartHelper([&] {
                      ++ran;
                      elsewhere = std::this_thread::get_id() != here;
                  });
                  helper.Finish();
                  return ran == 1 && !elsewhere ? 0 : 1;
              }),
              0);
}

} // namespace
} // namespace gessoria::test
