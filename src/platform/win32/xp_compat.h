// What the program needs of Windows Vista and later, given on Windows XP.
//
// The toolchain's thread library (winpthreads) times its waits with GetTickCount64,
// which XP's kernel32 lacks: a program importing it does not start there. The
// program therefore defines that import slot itself (xp_compat.cpp), filled with a
// function that calls the real GetTickCount64 where Windows has it and otherwise
// extends XP's 32-bit GetTickCount.
#pragma once

#include <cstdint>

namespace tessavue {

// One step of the 64-bit tick count built from the 32-bit one: `state` holds the
// count returned last (0 before the first call). A 32-bit count lower than the last
// one's low half has wrapped (every 49.7 days), so the high half goes up by one.
// Correct as long as it is called at least once in each 49.7 days, as a waiting
// thread does.
inline std::uint64_t ExtendTickCount(std::uint32_t now, std::uint64_t state) {
    const auto last = static_cast<std::uint32_t>(state);
    std::uint64_t high = state >> 32;
    if (now < last) ++high;
    return (high << 32) | now;
}

// The function behind the import slot, for tests.
std::uint64_t TickCount64();

}  // namespace tessavue
