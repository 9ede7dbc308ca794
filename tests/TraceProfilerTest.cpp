#include "TraceProfiler.h"
#include "TraceTimer.h"

#include "TestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

namespace zelk
{
namespace
{

const std::string HEADER = "{\"otherData\": {},\"traceEvents\":[";
const std::string FOOTER = "]}";

class TraceProfilerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_directory = std::filesystem::temp_directory_path() /
                      ("bramblot-trace-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_directory);
    }
    void TearDown() override
    {
        m_profiler.endTrace();
        m_profiler.setByteLimit(TraceProfiler::MAX_TRACE_BYTES);
        std::filesystem::remove_all(m_directory);
    }

    std::string path(const std::string& name) const { return (m_directory / name).string(); }

    TraceProfiler& m_profiler = TraceProfiler::getInstance();
    std::filesystem::path m_directory;
};

TEST_F(TraceProfilerTest, TraceWithoutEventsIsHeaderAndFooterOnceHoweverOftenItEnds)
{
    EXPECT_FALSE(m_profiler.isActive()) << "no trace is open before the first begins";
    m_profiler.beginTrace("startup", path("empty.json"));
    EXPECT_TRUE(m_profiler.isActive());
    EXPECT_EQ(m_profiler.getTraceName(), "startup");
    m_profiler.endTrace();
    m_profiler.endTrace();
    EXPECT_FALSE(m_profiler.isActive());
    EXPECT_EQ(test::readFile(path("empty.json")), HEADER + FOOTER);
}

TEST_F(TraceProfilerTest, EventsAreWrittenByteForByteWithOneCommaBetweenAndSingleQuotesForDoubleOnes)
{
    m_profiler.beginTrace("runtime", path("three.json"));
    m_profiler.writeEvent({"Frame", 1000, 1250, 42u});
    m_profiler.writeEvent({"zelk::Game::draw", -5, 7, 4294967295u});
    m_profiler.writeEvent({"say \"hi\"", 0, 1, 1u});
    m_profiler.endTrace();

    EXPECT_EQ(test::readFile(path("three.json")),
              HEADER +
                  "{\"cat\":\"function\",\"dur\":250,\"name\":\"Frame\",\"ph\":\"X\",\"pid\":0,\"tid\":42,\"ts\":1000},"
                  "{\"cat\":\"function\",\"dur\":12,\"name\":\"zelk::Game::draw\",\"ph\":\"X\",\"pid\":0,"
                  "\"tid\":4294967295,\"ts\":-5},"
                  "{\"cat\":\"function\",\"dur\":1,\"name\":\"say 'hi'\",\"ph\":\"X\",\"pid\":0,\"tid\":1,\"ts\":0}" +
                  FOOTER);
}

TEST_F(TraceProfilerTest, BeginningWhileOpenCompletesTheFirstFile)
{
    m_profiler.beginTrace("startup", path("startup.json"));
    m_profiler.writeEvent({"zelk::Game::init", 10, 20, 1u});
    m_profiler.beginTrace("runtime", path("runtime.json"));

    const std::string first = test::readFile(path("startup.json"));
    EXPECT_EQ(first.substr(first.size() - FOOTER.size()), FOOTER);
    EXPECT_NO_THROW(nlohmann::json::parse(first));

    m_profiler.writeEvent({"Frame", 30, 40, 1u});
    m_profiler.endTrace();
    const std::string second = test::readFile(path("runtime.json"));
    EXPECT_EQ(second.rfind(HEADER + "{", 0), 0u) << "no comma before the first event of a new file";
    EXPECT_EQ(nlohmann::json::parse(second)["traceEvents"].size(), 1u);
}

TEST_F(TraceProfilerTest, ByteLimitDropsLaterEventsKeepsTheFileValidAndRenewsWithTheNextTrace)
{
    m_profiler.setByteLimit(400);
    m_profiler.beginTrace("runtime", path("capped.json"));
    for (int index = 0; index < 50; ++index)
        m_profiler.writeEvent({"Frame", index, index + 1, 1u});
    m_profiler.beginTrace("next", path("next.json"));
    m_profiler.writeEvent({"Frame", 0, 1, 1u});
    m_profiler.endTrace();

    const std::string text = test::readFile(path("capped.json"));
    EXPECT_LE(text.size(), HEADER.size() + 400 + FOOTER.size());
    const std::size_t written = nlohmann::json::parse(text)["traceEvents"].size();
    EXPECT_GT(written, 0u);
    EXPECT_LT(written, 50u);
    EXPECT_EQ(nlohmann::json::parse(test::readFile(path("next.json")))["traceEvents"].size(), 1u);
}

TEST_F(TraceProfilerTest, UnwritableFileLosesThatTraceOnlyAndTheNextOneWorks)
{
    const std::string unwritable = (m_directory / "missing-directory" / "trace.json").string();
    m_profiler.beginTrace("lost", unwritable);
    m_profiler.writeEvent({"Frame", 0, 1, 1u});
    m_profiler.endTrace();
    EXPECT_FALSE(std::filesystem::exists(unwritable));

    m_profiler.beginTrace("runtime", path("after.json"));
    m_profiler.writeEvent({"Frame", 0, 1, 1u});
    m_profiler.endTrace();
    EXPECT_EQ(nlohmann::json::parse(test::readFile(path("after.json")))["traceEvents"].size(), 1u);
}

TEST_F(TraceProfilerTest, TimerWritesOneEventWhetherStoppedOrDestroyed)
{
    m_profiler.beginTrace("runtime", path("timer.json"));
    {
        TraceTimer stopped("stopped early");
        stopped.stop();
    }
    {
        TraceTimer scoped("scoped");
    }
    m_profiler.endTrace();

    const auto events = nlohmann::json::parse(test::readFile(path("timer.json")))["traceEvents"];
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0]["name"], "stopped early");
    EXPECT_EQ(events[1]["name"], "scoped");
    for (const auto& event : events)
    {
        EXPECT_EQ(event["ph"], "X");
        EXPECT_GE(event["dur"].get<std::int64_t>(), 0);
    }
}

TEST_F(TraceProfilerTest, EnclosingScopeFollowsTheScopesInsideAndCoversThem)
{
    m_profiler.beginTrace("runtime", path("nested.json"));
    {
        TraceTimer outer("outer");
        {
            TraceTimer inner("inner");
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    m_profiler.endTrace();

    const auto events = nlohmann::json::parse(test::readFile(path("nested.json")))["traceEvents"];
    ASSERT_EQ(events.size(), 2u);
    const auto& inner = events[0];
    const auto& outer = events[1];
    EXPECT_EQ(inner["name"], "inner");
    EXPECT_EQ(outer["name"], "outer");
    EXPECT_GE(inner["dur"].get<std::int64_t>(), 2000);
    EXPECT_LE(outer["ts"].get<std::int64_t>(), inner["ts"].get<std::int64_t>());
    EXPECT_GE(outer["ts"].get<std::int64_t>() + outer["dur"].get<std::int64_t>(),
              inner["ts"].get<std::int64_t>() + inner["dur"].get<std::int64_t>());
    EXPECT_EQ(outer["tid"], inner["tid"]);
}

} // namespace
} // namespace zelk
