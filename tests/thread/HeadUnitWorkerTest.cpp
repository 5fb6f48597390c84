// The worker that keeps the window alive while a head unit is read: what the work posts runs on the
// draining thread, in order; questions wait for their answer; nothing is lost or run twice.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "flow/HeadUnitWorker.h"
#include "tests/support/ScriptedPrompt.h"

namespace klt {
namespace {

// Drains until the worker is idle, as the window's timer does.
void DrainUntilIdle(THeadUnitWorker& worker) {
    while (!worker.Idle()) {
        worker.Drain();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

TEST(HeadUnitWorker, PostsRunOnTheDrainingThreadInOrderAndDoneLast) {
    test::TScriptedPrompt prompt;
    THeadUnitWorker worker(prompt);
    const std::thread::id drainer = std::this_thread::get_id();
    std::vector<int> seen;
    bool allOnDrainer = true;
    std::atomic<bool> release = false;
    ASSERT_TRUE(worker.Start(
        [&] {
            while (!release) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            for (int i = 0; i < 100; ++i) {
                worker.Post([&, i] {
                    allOnDrainer = allOnDrainer && std::this_thread::get_id() == drainer;
                    seen.push_back(i);
                });
            }
        },
        [&] { seen.push_back(-1); }));
    EXPECT_FALSE(worker.Start([] {}, [] {})); // one piece of work at a time
    release = true;
    DrainUntilIdle(worker);
    ASSERT_EQ(seen.size(), 101u);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(seen[static_cast<size_t>(i)], i);
    }
    EXPECT_EQ(seen.back(), -1);
    EXPECT_TRUE(allOnDrainer);
}

TEST(HeadUnitWorker, QuestionsOfTheWorkAreAnsweredOnTheDrainingThread) {
    test::TScriptedPrompt prompt({TPromptAnswer::Retry, TPromptAnswer::Cancel});
    THeadUnitWorker worker(prompt);
    std::vector<TPromptAnswer> answers;
    std::string failure;
    worker.Start(
        [&] {
            IPrompt& asked = worker.WorkPrompt();
            answers.push_back(asked.Ask("Warning", "first", TPromptButtons::RetryCancel));
            asked.ShowMessage("Warning", "between");
            answers.push_back(asked.Ask("Warning", "second", TPromptButtons::RetryCancel));
            try {
                asked.Ask("Warning", "one too many", TPromptButtons::OkCancel); // the script has no answer
            } catch (const std::logic_error& error) {
                failure = error.what(); // what the answer throws reaches the work
            }
        },
        [] {});
    DrainUntilIdle(worker);
    EXPECT_EQ(answers, (std::vector<TPromptAnswer>{TPromptAnswer::Retry, TPromptAnswer::Cancel}));
    ASSERT_EQ(prompt.shown.size(), 4u);
    EXPECT_EQ(prompt.shown[1].text, "between");
    EXPECT_NE(failure.find("one too many"), std::string::npos);
    // On the draining thread itself the prompt answers at once.
    worker.WorkPrompt().ShowMessage("Warning", "here");
    EXPECT_EQ(prompt.shown.back().text, "here");
}

TEST(HeadUnitWorker, FinishingAnswersWhatTheWorkWaitsForAndDropsTheRest) {
    test::TScriptedPrompt prompt({TPromptAnswer::Ok});
    std::atomic<int> posted = 0;
    bool doneRan = false;
    {
        THeadUnitWorker worker(prompt);
        worker.Start(
            [&] {
                worker.Post([&] { ++posted; });
                worker.WorkPrompt().Ask("Warning", "still there?", TPromptButtons::OkCancel);
                worker.Post([&] { ++posted; });
            },
            [&] { doneRan = true; });
        // the owner goes before draining anything
    }
    EXPECT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(posted, 0);
    EXPECT_FALSE(doneRan);
}

TEST(HeadUnitWorker, AFailingWorkStillEndsAndTheNextCanStart) {
    test::TScriptedPrompt prompt;
    THeadUnitWorker worker(prompt);
    bool done = false;
    worker.Start([] { throw std::runtime_error("the link is gone"); }, [&] { done = true; });
    DrainUntilIdle(worker);
    EXPECT_TRUE(done);
    int runs = 0;
    ASSERT_TRUE(worker.Start([&] { ++runs; }, [] {}));
    DrainUntilIdle(worker);
    EXPECT_EQ(runs, 1);
}

} // namespace
} // namespace klt
