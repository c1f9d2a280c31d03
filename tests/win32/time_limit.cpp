// Bounds the running time of a Win32 test program: a hung window or a lost
// helper process must fail the run, not stall it. VARNOTH_TEST_TIME_LIMIT_S
// overrides the default of 120 seconds.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

DWORD WINAPI EndAfterLimit(LPVOID parameter) {
    const auto seconds = static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(parameter));
    Sleep(seconds * 1000);
    std::fprintf(stderr, "time limit of %lu s reached; ending the test program\n",
                 static_cast<unsigned long>(seconds));
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return 0;
}

struct TimeLimit {
    TimeLimit() {
        unsigned long seconds = 120;
        if (const char* text = std::getenv("VARNOTH_TEST_TIME_LIMIT_S"); text != nullptr && *text) {
            seconds = std::strtoul(text, nullptr, 10);
        }
        const HANDLE thread = CreateThread(nullptr, 0, EndAfterLimit,
                                           reinterpret_cast<LPVOID>(static_cast<std::uintptr_t>(seconds)),
                                           0, nullptr);
        if (thread != nullptr) CloseHandle(thread);
    }
};

// Started before main, so even a hang during test discovery is bounded.
const TimeLimit timeLimit;

}  // namespace
