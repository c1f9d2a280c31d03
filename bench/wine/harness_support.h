// Shared pieces of the Wine-side benchmark and soak programs: starting and
// ending a program of the build, finding varnoth.exe's window and controls as
// another program sees them, reading a process's memory and object figures,
// timing, and medians. Windows-only harness code, header-only so each harness
// program stays a single translation unit plus this file.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/win32_test_support.h"

namespace varnoth::harness {

using win32_test::Utf8;

// The main window of varnoth.exe as other programs find it.
inline constexpr wchar_t kVarnothClass[] = L"VarnothMainWindow";
inline constexpr wchar_t kVarnothCaption[] = L"Varnoth V0.2";
// The bare comparison program (bare_window.cpp).
inline constexpr wchar_t kBareClass[] = L"VarnothBareWindow";
inline constexpr wchar_t kBareCaption[] = L"Bare window";
// The same window and controls as varnoth.exe's without its logic (bare_controls.cpp).
inline constexpr wchar_t kBareControlsClass[] = L"VarnothBareControls";
inline constexpr wchar_t kBareControlsCaption[] = L"Bare controls";

// Status texts of the tile command as the status label shows them.
inline constexpr wchar_t kStatusNoWindowOfClass[] = L"查找窗口句柄失败，请重试！";
inline constexpr wchar_t kStatusNoTitledWindow[] = L"当前没有打开Chrome内核的浏览器，请打开后重试！";
inline constexpr wchar_t kStatusOneWindow[] = L"当前只有1个浏览器，默认不更改！";
inline constexpr wchar_t kStatusTiled[] = L"平铺窗口，执行完毕！";

inline double NowSeconds() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / frequency;
}

inline double Median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2.0;
}

// The folder of the running program, with a trailing backslash.
inline std::wstring ProgramDirectory() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, length);
    dir.resize(dir.find_last_of(L"\\/") + 1);
    return dir;
}

inline std::wstring Quote(std::wstring_view text) {
    return L"\"" + std::wstring(text) + L"\"";
}

// A started program. Asks its window to close when it goes away, and ends the
// process if it has not exited by then.
class Process {
public:
    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process() { Stop(); }

    bool Start(const std::wstring& commandLine) {
        Stop();
        std::wstring line = commandLine;  // CreateProcessW may write into it
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &info)) {
            return false;
        }
        CloseHandle(info.hThread);
        process_ = info.hProcess;
        id_ = info.dwProcessId;
        return true;
    }

    HANDLE Handle() const { return process_; }
    DWORD Id() const { return id_; }
    bool Running() const {
        return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
    }
    DWORD ExitCode() const {
        DWORD code = 0;
        if (process_ != nullptr) GetExitCodeProcess(process_, &code);
        return code;
    }

    // Closes `window` (WM_CLOSE) and waits for the process; ends it if it does not exit.
    void Stop(HWND window = nullptr) {
        if (process_ == nullptr) return;
        if (window != nullptr && Running()) PostMessageW(window, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process_, window != nullptr ? 5000 : 0) != WAIT_OBJECT_0) {
            TerminateProcess(process_, 1);
            WaitForSingleObject(process_, 5000);
        }
        CloseHandle(process_);
        process_ = nullptr;
        id_ = 0;
    }

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

// The top-level window of `processId` with this class and caption, once it is visible.
inline HWND FindVisibleWindow(const wchar_t* className, const wchar_t* caption, DWORD processId) {
    HWND window = FindWindowW(className, caption);
    while (window != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId) return IsWindowVisible(window) ? window : nullptr;
        window = FindWindowExW(nullptr, window, className, caption);
    }
    return nullptr;
}

// Waits for the process's window to be shown; nullptr after `waitMs` or when
// the process has ended.
inline HWND WaitForVisibleWindow(const Process& process, const wchar_t* className,
                                 const wchar_t* caption, DWORD waitMs) {
    const ULONGLONG deadline = GetTickCount64() + waitMs;
    while (GetTickCount64() < deadline && process.Running()) {
        if (HWND window = FindVisibleWindow(className, caption, process.Id())) return window;
        Sleep(0);
    }
    return nullptr;
}

inline std::wstring ClassNameOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

// WM_GETTEXT through SendMessageTimeout, so a hung window cannot stall the
// caller; nullopt when the window did not answer within `timeoutMs`.
inline std::optional<std::wstring> ReadText(HWND window, UINT timeoutMs = 1000) {
    wchar_t text[512] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, timeoutMs, &copied)) {
        return std::nullopt;
    }
    return std::wstring(text, std::min<DWORD_PTR>(copied, 511));
}

inline bool WriteText(HWND window, const wchar_t* text, UINT timeoutMs = 1000) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text),
                               SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

// The controls of varnoth.exe's main window that the harness drives and reads.
struct VarnothControls {
    HWND tileButton = nullptr;
    HWND countLabel = nullptr;
    HWND statusLabel = nullptr;
};

// The tile button is the push button (the other button is the group box); the
// labels are told apart by their initial texts and places: the count label is
// the static at the top right of the caption, the status label the one at the
// bottom that spans the window.
inline VarnothControls FindVarnothControls(HWND mainWindow) {
    VarnothControls controls;
    for (HWND child = GetWindow(mainWindow, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        const std::wstring className = ClassNameOf(child);
        RECT rect{};
        GetWindowRect(child, &rect);
        POINT topLeft{rect.left, rect.top};
        ScreenToClient(mainWindow, &topLeft);
        if (_wcsicmp(className.c_str(), L"Button") == 0) {
            const LONG style = GetWindowLongW(child, GWL_STYLE);
            if ((style & BS_TYPEMASK) != BS_GROUPBOX) controls.tileButton = child;
        } else if (_wcsicmp(className.c_str(), L"Static") == 0) {
            if (topLeft.y >= 150) controls.statusLabel = child;
            else if (topLeft.y < 50 && topLeft.x > 100) controls.countLabel = child;
        }
    }
    return controls;
}

// Memory figures of a process. Zero where the platform gives nothing.
struct MemoryFigures {
    std::uint64_t peakWorkingSet = 0;
    std::uint64_t workingSet = 0;
    std::uint64_t privateBytes = 0;
};

inline MemoryFigures ReadMemory(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    MemoryFigures figures;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof counters)) {
        figures.peakWorkingSet = counters.PeakWorkingSetSize;
        figures.workingSet = counters.WorkingSetSize;
        figures.privateBytes = counters.PrivateUsage;
    }
    return figures;
}

// A result line for scripts/bench: "figure|NAME|VARNOTH|BASELINE|UNIT|TARGET",
// with a seventh field "|CONTROLS" when the figure also has the bare-controls
// baseline. TARGET is the bound on VARNOTH / BASELINE; 0 when none.
inline void PrintFigure(const char* name, double varnoth, double baseline, const char* unit,
                        double target, std::optional<double> controlsBaseline = std::nullopt) {
    std::printf("figure|%s|%.6g|%.6g|%s|%.4g", name, varnoth, baseline, unit, target);
    if (controlsBaseline) std::printf("|%.6g", *controlsBaseline);
    std::printf("\n");
    std::fflush(stdout);
}

}  // namespace varnoth::harness
