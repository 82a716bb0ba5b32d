// Bounded waits. Every wait of the driver polls a condition, sleeping briefly on its
// own message queue between polls, and gives up with a message naming what it waited
// for once the bound has passed.
#pragma once

#include <functional>
#include <string_view>

#include "status.h"

namespace tessavue::e2e {

// A bound in milliseconds. (Not std::chrono: its C++20 header holds a literal that has
// no Shift-JIS form, and every source here is compiled to Shift-JIS.)
class milliseconds {
public:
    constexpr explicit milliseconds(long long count) : count_(count) {}
    constexpr long long count() const { return count_; }

private:
    long long count_;
};

// The bound a step uses when the caller names none. Wine starts a program in a few
// seconds on a loaded machine; nothing the tests wait for takes longer than this.
inline constexpr milliseconds kDefaultBound{20000};

// Polls `condition` until it holds (Ok) or `bound` has passed (a failure that says
// "timed out after N ms waiting for <what>"). The condition is checked once more at
// the bound, so a slow poll cannot make a met condition look missed.
Status WaitFor(const std::function<bool()>& condition, milliseconds bound, std::string_view what);

// Sleeps at most `most` on the driver's own queue, returning early when a message
// arrives for it, and dispatches what arrived.
void PauseOnQueue(milliseconds most);

}  // namespace tessavue::e2e
