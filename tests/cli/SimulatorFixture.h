#pragma once
// Tests of klt against the klt-sim executable: the simulator started as a child with the arguments
// a test gives, stopped at the test's end, when it must exit cleanly.
#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/RawTraining.h"
#include "tests/support/SimProcess.h"

namespace klt::test {

class TKltSimFixture : public ::testing::Test {
protected:
    // Starts klt-sim with these arguments and returns the port it serves, empty when it did not start.
    std::string StartSimulator(std::vector<std::string> args) { return Serving("PORT ", std::move(args)); }
    // The same for a USB head unit: the socket of its USB chip.
    std::string StartUsbSimulator(std::vector<std::string> args) { return Serving("USB ", std::move(args)); }
    void TearDown() override {
        if (sim_) {
            sim_->Signal(SIGTERM);
            EXPECT_EQ(sim_->Exit(10), 0);
        }
    }

    TTempDir dir_;
    std::unique_ptr<TSimProcess> sim_;

private:
    std::string Serving(const std::string& prefix, std::vector<std::string> args) {
        sim_ = std::make_unique<TSimProcess>(std::move(args));
        const std::string line = sim_->FirstLine();
        return line.rfind(prefix, 0) == 0 && line.size() > prefix.size()
                   ? line.substr(prefix.size(), line.size() - prefix.size() - 1)
                   : std::string();
    }
};

} // namespace klt::test
