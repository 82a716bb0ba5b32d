#include "waiting.h"

#include <windows.h>

#include <string>

namespace tessavue::e2e {

namespace {
// Short enough that a test spends little time after its condition is met, long
// enough that a waiting driver costs the machine nothing.
constexpr milliseconds kPollInterval{15};
}  // namespace

void PauseOnQueue(milliseconds most) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(most.count()), QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

Status WaitFor(const std::function<bool()>& condition, milliseconds bound, std::string_view what) {
    // A difference of tick counts, so the counter's wrap after 49 days does not matter.
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return Status::Ok();
        if (static_cast<long long>(GetTickCount() - start) >= bound.count()) break;
        PauseOnQueue(kPollInterval);
    }
    if (condition()) return Status::Ok();
    return Status::Fail("timed out after " + std::to_string(bound.count()) + " ms waiting for " +
                        std::string(what));
}

}  // namespace tessavue::e2e
