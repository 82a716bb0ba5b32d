#include "platform/win32/xp_compat.h"

#include <windows.h>

#include <atomic>

namespace tessavue {
namespace {

using TickCount64Function = ULONGLONG(WINAPI*)();

// The real call where kernel32 has it; looked up once, without a lock (the lookup
// gives every thread the same answer).
TickCount64Function RealTickCount64() {
    static std::atomic<TickCount64Function> real{nullptr};
    static std::atomic<bool> looked{false};
    if (!looked.load(std::memory_order_acquire)) {
        const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
        FARPROC found = kernel ? GetProcAddress(kernel, "GetTickCount64") : nullptr;
        real.store(reinterpret_cast<TickCount64Function>(reinterpret_cast<void*>(found)), std::memory_order_relaxed);
        looked.store(true, std::memory_order_release);
    }
    return real.load(std::memory_order_relaxed);
}

ULONGLONG WINAPI TickCount64ForAnyWindows() {
    if (TickCount64Function real = RealTickCount64()) return real();
    static std::atomic<std::uint64_t> state{0};
    std::uint64_t seen = state.load();
    for (;;) {
        const std::uint64_t next = ExtendTickCount(GetTickCount(), seen);
        if (state.compare_exchange_weak(seen, next)) return next;
    }
}

}  // namespace

std::uint64_t TickCount64() { return TickCount64ForAnyWindows(); }

}  // namespace tessavue

// The import slot the thread library calls GetTickCount64 through. Defined here, it
// is linked instead of kernel32's, and the .exe imports no GetTickCount64.
// (On 32-bit Windows the slot's name carries the stdcall decoration.)
extern "C" {
#if defined(__i386__)
ULONGLONG(WINAPI* tessavue_GetTickCount64_slot)() __asm__("__imp__GetTickCount64@0") = tessavue::TickCount64ForAnyWindows;
#else
ULONGLONG(WINAPI* tessavue_GetTickCount64_slot)() __asm__("__imp_GetTickCount64") = tessavue::TickCount64ForAnyWindows;
#endif
}
