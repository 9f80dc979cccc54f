// SPDX-License-Identifier: GPL-3.0-or-later
// The window's reading of the page the engine host publishes: only the four queries in the
// forms the engine reads them, in the engine's exact texts, and nothing from a page that is
// torn, stale or nonsense (a hostile host can make the window ask it, nothing worse).
#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

#include "channels/published_state.h"
#include "platform/mci_host/state_page.h"

namespace zelko {
namespace {

namespace wire = mci::wire;
using channels::PublishedState;

class PublishedStateTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_fd = m_state.renew();
        ASSERT_TRUE(m_fd);
        void* mapped = ::mmap(nullptr, wire::kPageBytes, PROT_READ | PROT_WRITE, MAP_SHARED, m_fd.get(), 0);
        ASSERT_NE(mapped, MAP_FAILED);
        m_words = static_cast<uint64_t*>(mapped);
        m_host = wire::StatePage::adopt(platform::UniqueFd(::fcntl(m_fd.get(), F_DUPFD_CLOEXEC, 0)));
        ASSERT_TRUE(m_host.has_value());
    }
    void TearDown() override
    {
        if (m_words != nullptr) {
            ::munmap(m_words, wire::kPageBytes);
        }
    }
    void publish(wire::PageDevice device) { m_host->write({wire::pageClockNs(), {std::move(device)}}); }
    static wire::PageDevice paused()
    {
        wire::PageDevice device;
        device.alias = "movie";
        device.mode = wire::PageMode::Paused;
        device.picture = true;
        device.framesPerSecond = 25.0;
        device.lengthNs = 2'000'000'000;
        device.positionNs = 1'234'500'000;
        device.endNs = device.lengthNs;
        return device;
    }
    std::optional<std::string> answer(const std::string& command, uint32_t length = 256)
    {
        return m_state.answer(command, length);
    }

    PublishedState m_state;
    platform::UniqueFd m_fd;
    uint64_t* m_words = nullptr;  // the page as the host's memory holds it
    std::optional<wire::StatePage> m_host;
};

TEST_F(PublishedStateTest, AnswersTheFourQueriesInTheEnginesFormsAndTexts)
{
    publish(paused());
    struct Case {
        std::string command;
        std::optional<std::string> reply;
    };
    const Case cases[] = {
        {"status movie mode", "paused"},
        {"status movie position", "1235"},  // 1234.5 ms: to the nearest unit, as the engine rounds
        {"status movie length", "2000"},
        {"status movie time format", "milliseconds"},
        {"STATUS Movie Position", "1235"},
        {"  status\tmovie   length", "2000"},
        {"status movie mode" + std::string(111, ' '), "paused"},
        {"status movie speed", std::nullopt},
        {"status movie position wait", std::nullopt},
        {"status movie time", std::nullopt},
        {"status \"movie\" mode", std::nullopt},
        {"status other mode", std::nullopt},
        {"status all mode", std::nullopt},
        {"play movie", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(answer(c.command), c.reply) << c.command;
    }
    // A reply that would not fit is the engine's 268 to give; a caller reading none asks it too.
    EXPECT_EQ(answer("status movie mode", 6), std::nullopt);
    EXPECT_EQ(answer("status movie mode", 7), "paused");
    EXPECT_EQ(answer("status movie mode", 0), std::nullopt);
}

TEST_F(PublishedStateTest, FramesAreCountedAtThePublishedRate)
{
    wire::PageDevice device = paused();
    device.frames = true;
    device.positionNs = 1'020'000'000;  // 25.5 frames, rounded as the engine rounds
    publish(device);
    EXPECT_EQ(answer("status movie time format"), "frames");
    EXPECT_EQ(answer("status movie length"), "50");
    EXPECT_EQ(answer("status movie position"), "26");
}

// A setting of the time format is answered only where it changes nothing: the format the device
// counts in already, or frames of a sound, which the engine refuses.
TEST_F(PublishedStateTest, ATimeFormatSettingIsAnsweredOnlyWhereItChangesNothing)
{
    wire::PageDevice device = paused();
    publish(device);
    EXPECT_EQ(m_state.unchangedBy("set movie time format ms"), 0u);
    EXPECT_EQ(m_state.unchangedBy("SET Movie time FORMAT milliseconds"), 0u);
    EXPECT_EQ(m_state.unchangedBy("set movie time format frames"), std::nullopt);  // it changes
    device.frames = true;
    publish(device);
    EXPECT_EQ(m_state.unchangedBy("set movie time format frames"), 0u);
    EXPECT_EQ(m_state.unchangedBy("set movie time format ms"), std::nullopt);
    device = paused();
    device.picture = false;
    publish(device);
    EXPECT_EQ(m_state.unchangedBy("set movie time format frames"), 293u);
    EXPECT_EQ(m_state.unchangedBy("set movie time format ms"), 0u);
    for (const char* other :
         {"set movie time format bytes", "set movie time format ms speed 500", "set other time format ms",
          "set \"movie\" time format ms", "set movie speed 500", "status movie time format"}) {
        EXPECT_EQ(m_state.unchangedBy(other), std::nullopt) << other;
    }
}

TEST_F(PublishedStateTest, APlayingPositionIsCarriedOnOnlyWhileItIsSureOfIt)
{
    wire::PageDevice device = paused();
    device.mode = wire::PageMode::Playing;
    device.rate = 0.5;
    device.positionNs = 1'000'000'000;
    device.clockNs = wire::pageClockNs() - 200'000'000;  // half speed for 200 ms: 100 ms on
    device.settled = true;
    publish(device);
    const int64_t position = std::stoll(answer("status movie position").value_or("0"));
    EXPECT_GE(position, 1100);
    EXPECT_LT(position, 1100 + 500);  // however long this test was held up meanwhile
    EXPECT_EQ(answer("status movie mode"), "playing");
    // Not yet seen to follow its rate: the output may not have started.
    device.settled = false;
    publish(device);
    EXPECT_EQ(answer("status movie position"), std::nullopt);
    EXPECT_EQ(answer("status movie mode"), std::nullopt);
    EXPECT_EQ(answer("status movie time format"), "milliseconds");
    // At the end of what plays, the host says whether it ended or runs on past its length.
    device.settled = true;
    device.endNs = 1'050'000'000;
    publish(device);
    EXPECT_EQ(answer("status movie position"), std::nullopt);
    EXPECT_EQ(answer("status movie length"), std::nullopt);
    // A page its host stopped writing is not believed about a playing device.
    device.endNs = device.lengthNs;
    m_host->write({wire::pageClockNs() - 2 * std::chrono::nanoseconds(PublishedState::kStale).count(), {device}});
    EXPECT_EQ(answer("status movie position"), std::nullopt);
}

TEST_F(PublishedStateTest, ATornOrNonsensicalPageAnswersNothing)
{
    publish(paused());
    ASSERT_EQ(answer("status movie mode"), "paused");
    // The words as a broken or hostile host could leave them (state_page.h has the layout).
    uint64_t* words = m_words;
    constexpr size_t kFlags = 3 + 8;
    constexpr size_t kRate = 3 + 13;
    const auto scribbled = [&](size_t index, uint64_t value) {
        const uint64_t kept = words[index];
        words[index] = value;
        const std::optional<std::string> reply = answer("status movie mode");
        words[index] = kept;
        return reply;
    };
    EXPECT_EQ(scribbled(0, words[0] + 1), std::nullopt);  // being written
    EXPECT_EQ(scribbled(1, wire::kMaxDevices + 1), std::nullopt);
    EXPECT_EQ(scribbled(kFlags, 3), std::nullopt);  // no such mode
    EXPECT_EQ(scribbled(kFlags, 1U << 12), std::nullopt);
    EXPECT_EQ(scribbled(kRate, 0x7ff8000000000000ULL), std::nullopt);  // not a number
    // An alias with no end: the page is not read past it.
    uint64_t alias[8];
    std::memcpy(alias, words + 3, sizeof alias);
    std::memset(words + 3, 'a', sizeof alias);
    EXPECT_EQ(answer("status " + std::string(wire::kAliasBytes, 'a') + " mode"), std::nullopt);
    EXPECT_EQ(answer("status " + std::string(wire::kAliasBytes - 1, 'a') + " mode"), std::nullopt);
    std::memcpy(words + 3, alias, sizeof alias);
    EXPECT_EQ(answer("status movie mode"), "paused");
    // Nor can the host shrink the page under the window's reading of it.
    EXPECT_NE(::ftruncate(m_fd.get(), 0), 0);
}

}  // namespace
}  // namespace zelko
