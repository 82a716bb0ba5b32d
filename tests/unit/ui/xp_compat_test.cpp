// The 64-bit tick count that stands in for GetTickCount64 on Windows XP.
#include "platform/win32/xp_compat.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>

namespace tessavue {
namespace {

TEST(ExtendTickCount, CountsTheWrapsOfTheThirtyTwoBitCount) {
    struct Step {
        std::uint32_t now;
        std::uint64_t expected;
    };
    // From the first call across two wraps, with calls in between the way a waiting
    // thread makes them.
    const Step steps[] = {
        {1000u, 1000u},
        {1000u, 1000u},
        {0xFFFFFF00u, 0xFFFFFF00u},
        {0x10u, 0x100000010ull},
        {0x7FFFFFFFu, 0x17FFFFFFFull},
        {0xFFFFFFFFu, 0x1FFFFFFFFull},
        {0u, 0x200000000ull},
    };
    std::uint64_t state = 0;
    for (const Step& step : steps) {
        state = ExtendTickCount(step.now, state);
        EXPECT_EQ(state, step.expected) << step.now;
    }
}

// The function the program calls instead of kernel32's import follows the system's
// own count and never goes back.
TEST(TickCount64, FollowsTheSystemTickCount) {
    const std::uint64_t first = TickCount64();
    const DWORD system = GetTickCount();
    EXPECT_LE(static_cast<DWORD>(first) - system + 1000u, 2000u) << "within a second of GetTickCount";
    std::uint64_t last = first;
    for (int i = 0; i < 1000; ++i) {
        const std::uint64_t now = TickCount64();
        ASSERT_GE(now, last);
        last = now;
    }
}

}  // namespace
}  // namespace tessavue
