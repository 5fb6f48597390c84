#include "app/KLTMainClosing.h"
#include "app/SerialProbePorts.h"
#include "core/KLTFileRegistry.h"

#include "tests/support/MemoryTraining.h"
#include "tests/support/RawTraining.h"
#include "tests/support/ScriptedPrompt.h"

#include <gtest/gtest.h>

#include <deque>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <atomic>
#include <optional>
#include <thread>
#include <unistd.h>

namespace klt {
namespace {

// A port that answers from a script and records what happened on it.
class TScriptedPort : public IProbePort {
public:
    explicit TScriptedPort(std::deque<std::optional<uint8_t>> replies, bool configurable = true)
        : replies_(std::move(replies)), configurable_(configurable) {}
    bool Configure(int baud) override {
        bauds.push_back(baud);
        return configurable_;
    }
    void SetBaud(int baud) override { bauds.push_back(baud); }
    void SendBreak(int milliseconds) override { breakMs = milliseconds; }
    bool WriteByte(uint8_t byte) override {
        written.push_back(byte);
        return true;
    }
    std::optional<uint8_t> ReadByte() override {
        if (replies_.empty()) {
            return std::nullopt;
        }
        const std::optional<uint8_t> reply = replies_.front();
        replies_.pop_front();
        return reply;
    }

    std::vector<int> bauds;
    std::vector<uint8_t> written;
    int breakMs = 0;

private:
    std::deque<std::optional<uint8_t>> replies_;
    bool configurable_;
};

TEST(KLTMainClosingProbe, EchoedPromptFollowedByTwoBytesIsTheVersionWord) {
    TScriptedPort port({'P', 0x2B, 0x23});
    EXPECT_EQ(ProbeVeltrakVersion(port), uint16_t{0x2B23});
    EXPECT_EQ(port.breakMs, 50);
    EXPECT_EQ(port.written, std::vector<uint8_t>{'P'});
}

TEST(KLTMainClosingProbe, SilentPortIsTriedThreeTimesTwiceAtThreeRates) {
    TScriptedPort port({});
    EXPECT_EQ(ProbeVeltrakVersion(port), std::nullopt);
    EXPECT_EQ(port.written.size(), 6u);
    EXPECT_EQ(port.bauds, (std::vector<int>{9600, 19200, 4800}));
}

TEST(KLTMainClosingProbe, SecondPromptOfAnAttemptCanStillSucceed) {
    TScriptedPort port({'x', 'P', 0x10, 0x00});
    EXPECT_EQ(ProbeVeltrakVersion(port), uint16_t{0x1000});
    EXPECT_EQ(port.written.size(), 2u);
}

TEST(KLTMainClosingProbe, EchoWithoutVersionFailsTheAttemptAndUnreadablePortsAreSkipped) {
    TScriptedPort cut({'P', 0x2B, std::nullopt, 'P', 0x01, 0x02});
    EXPECT_EQ(ProbeVeltrakVersion(cut), uint16_t{0x0102});
    EXPECT_EQ(cut.bauds, (std::vector<int>{9600, 19200}));

    TScriptedPort unreadable({'P', 1, 2}, false);
    EXPECT_EQ(ProbeVeltrakVersion(unreadable), std::nullopt);
    EXPECT_TRUE(unreadable.written.empty());
}

TEST(KLTMainClosingProbe, WarningOnlyForOldHeadUnits) {
    EXPECT_TRUE(NeedsDisconnectWarning(uint16_t{11043}));
    EXPECT_TRUE(NeedsDisconnectWarning(uint16_t{0}));
    EXPECT_FALSE(NeedsDisconnectWarning(uint16_t{11044}));
    EXPECT_FALSE(NeedsDisconnectWarning(uint16_t{0xFFFF}));
    EXPECT_FALSE(NeedsDisconnectWarning(std::nullopt));
}

TEST(KLTMainClosingProbe, PortsWithoutDevicesAreSkippedQuickly) {
    test::TTempDir dir;
    TSerialProbePorts ports(dir.File("ttyNone"));
    EXPECT_EQ(ProbeVeltrakPorts(ports), std::nullopt);
    test::WriteFileBytes(dir.File("ttyNone0"), "no terminal");
    EXPECT_EQ(ports.Open(0), nullptr);
}

TEST(KLTMainClosingProbe, APortTalksToAHeadUnitOnAPseudoTerminal) {
    int master = -1, slave = -1;
    char name[128] = {};
    ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    ::close(slave);
    const std::string path = name;
    const size_t digits = path.find_last_not_of("0123456789") + 1;
    TSerialProbePorts ports(path.substr(0, digits));
    // Answers every "P" with the echo and version 0x2B23, so a late answer on a loaded machine
    // only costs the probe another attempt.
    std::atomic<bool> done{false};
    std::thread headUnit([master, &done] {
        pollfd ready{master, POLLIN, 0};
        uint8_t byte = 0;
        while (!done) {
            if (::poll(&ready, 1, 20) == 1 && ::read(master, &byte, 1) == 1 && byte == 'P') {
                const uint8_t answer[] = {'P', 0x2B, 0x23};
                (void)!::write(master, answer, sizeof answer);
            }
        }
    });
    std::unique_ptr<IProbePort> port = ports.Open(std::stoi(path.substr(digits)));
    const std::optional<uint16_t> version = port != nullptr ? ProbeVeltrakVersion(*port) : std::nullopt;
    done = true;
    headUnit.join();
    EXPECT_NE(port, nullptr);
    EXPECT_EQ(version, uint16_t{0x2B23});
    port.reset();
    ::close(master);
}

// A view that keeps its training open, as a window does.
struct TOpenView : IKLTFileView {
    explicit TOpenView(const std::string& path) : file(&KLTFileRegistry().OpenTraining(path, this)) {
        file->EnsureLoaded();
    }
    ~TOpenView() override { KLTFileRegistry().ReleaseTraining(*file, this); }
    void TrainingChanged(TKLTFile&, int) override {}
    void CloseView(TKLTFile&) override {}
    TKLTFile* file;
};

class KLTMainClosingQuestions : public testing::Test {
protected:
    KLTMainClosingQuestions() {
        test::WriteTraining(dir.File("a.klt"), "AA");
        test::WriteTraining(dir.File("b.klt"), "BB");
        first = std::make_unique<TOpenView>(dir.File("a.klt"));
        second = std::make_unique<TOpenView>(dir.File("b.klt"));
        first->file->SetComment("first change");
        second->file->SetComment("second change");
    }
    ~KLTMainClosingQuestions() override {
        first.reset();
        second.reset();
        KLTFileRegistry().Trim(0);
    }

    test::TTempDir dir;
    std::unique_ptr<TOpenView> first, second;
};

TEST_F(KLTMainClosingQuestions, AsksAboutTheMostRecentlyUsedTrainingFirst) {
    test::TScriptedPrompt prompt({TPromptAnswer::Yes, TPromptAnswer::Yes});
    EXPECT_TRUE(CloseQueryAllTrainings());
    ASSERT_EQ(prompt.shown.size(), 2u);
    EXPECT_EQ(prompt.shown[0].text.rfind("Do you want to save the modified training file '", 0), 0u);
    EXPECT_NE(prompt.shown[0].text.find("second change"), std::string::npos);
    EXPECT_NE(prompt.shown[1].text.find("first change"), std::string::npos);
    EXPECT_FALSE(first->file->Modified());
    EXPECT_FALSE(second->file->Modified());
}

TEST_F(KLTMainClosingQuestions, CancelStopsAtOnceAndKeepsTheChanges) {
    test::TScriptedPrompt prompt({TPromptAnswer::Cancel});
    EXPECT_FALSE(CloseQueryAllTrainings());
    EXPECT_EQ(prompt.shown.size(), 1u);
    EXPECT_TRUE(first->file->Modified());
    EXPECT_TRUE(second->file->Modified());
}

} // namespace
} // namespace klt
