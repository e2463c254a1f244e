#include "core/resumewatch.h"

#include <gtest/gtest.h>

#include <vector>

namespace skywell::test
{
namespace
{

// Each step moves the wall clock and the monotonic clock (milliseconds)
// before one check.
struct Step {
    std::int64_t wall;
    std::int64_t monotonic;
    bool resumed;
};

TEST(ResumeWatch, NoticesASleepOrAClockChangeButNotALateTick)
{
    const struct {
        const char *what;
        std::vector<Step> steps;
    } cases[] = {
        {"ticks a second apart", {{1000, 1000, false}, {1000, 1000, false}, {1003, 998, false}}},
        {"a tick 40 s late on a busy machine", {{1000, 1000, false}, {40000, 40000, false}, {1000, 1000, false}}},
        {"an hour asleep", {{1000, 1000, false}, {3601000, 1000, true}, {1000, 1000, false}}},
        {"ten seconds asleep", {{1000, 1000, false}, {11000, 1000, true}}},
        {"the clock set back an hour", {{1000, 1000, false}, {-3599000, 1000, true}, {1000, 1000, false}}},
        {"a slow drift is never a jump", {{1000, 1000, false}, {1004, 1000, false}, {1004, 1000, false}}},
    };
    for (const auto &c : cases) {
        std::int64_t wall = 1765000000000, monotonic = 5000;
        ResumeWatch watch([&] { return wall; }, [&] { return monotonic; });
        EXPECT_FALSE(watch.check()) << c.what << ": the first check only reads the clocks";
        for (const Step &step : c.steps) {
            wall += step.wall;
            monotonic += step.monotonic;
            EXPECT_EQ(watch.check(), step.resumed) << c.what;
        }
    }
}

} // namespace
} // namespace skywell::test
