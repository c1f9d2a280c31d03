// Test-side access to a running varnoth.exe: start it in its own process, find
// its window and controls, read their texts as another program would, and
// drive it with real input (SendInput). Windows-only test code.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tests/support/win32_test_support.h"

namespace varnoth::e2e {

// Time any single wait may take before the test gives up.
inline constexpr DWORD kWaitMs = 10000;

// The Wine taskbar query is a stub that reports the bottom pixel row.
inline constexpr int kWineTaskbarThickness = 1;

// The folder of the running test program, with a trailing backslash.
std::wstring TestProgramDirectory();
// varnoth.exe: VARNOTH_EXE if set, else the build's app folder.
std::wstring VarnothExecutablePath();

// Calls `condition` until it holds or `waitMs` passes; true when it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD waitMs = kWaitMs);

// Owns a started process: asks it to close and, failing that, ends it.
class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();

    bool Start(std::wstring commandLine);
    DWORD Id() const { return processId_; }
    HANDLE Handle() const { return process_; }
    // True and the exit code when the process ended within `waitMs`.
    bool WaitForExit(DWORD waitMs, DWORD& exitCode);
    void Kill();

private:
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
};

// The six controls of the main window, bottom to top in the stacking order.
struct MainWindowControls {
    HWND groupBox = nullptr;
    HWND countCaption = nullptr;
    HWND countLabel = nullptr;
    HWND statusLabel = nullptr;
    HWND tileButton = nullptr;
    HWND shortcutLabel = nullptr;
};

// A started varnoth.exe with its window.
class VarnothSession {
public:
    // Starts varnoth.exe and waits until its window is visible; false on failure.
    bool Start();
    // Closes the window (WM_CLOSE) and waits for the process; ends it if it hangs.
    ~VarnothSession();

    HWND Window() const { return window_; }
    const MainWindowControls& Controls() const { return controls_; }
    ChildProcess& Process() { return process_; }

    // Waits until the control's text equals `expected`; false on timeout.
    bool WaitForText(HWND control, std::wstring_view expected, DWORD waitMs = kWaitMs) const;

private:
    ChildProcess process_;
    HWND window_ = nullptr;
    MainWindowControls controls_;
};

// All child windows of `parent`, top of the stacking order first.
std::vector<HWND> ChildrenTopFirst(HWND parent);
// WM_GETTEXT, as any other program reads a window's text.
std::wstring ReadText(HWND window);
std::wstring ClassNameOf(HWND window);
// The window's rectangle relative to `container`'s client area.
RECT RectIn(HWND window, HWND container);

// Real input, through the system's input queue.
void ClickAt(POINT screenPoint);
void ClickCentreOf(HWND window);
void PressKey(WORD virtualKey);
void PressAltNumpad9();
// Brings `window` to the foreground; true when it got there.
bool BringToForeground(HWND window);

// Saves a screenshot of the whole screen under the build folder
// (screenshots/NAME.png next to the test program) and returns its path.
std::wstring SaveScreenshot(std::wstring_view name);

// The two windows in the desktop's enumeration order (upper in the stacking
// order first): the tile command puts the first on the left.
std::pair<HWND, HWND> InEnumerationOrder(HWND first, HWND second);

// UTF-16 to UTF-8, for messages and result files.
using win32_test::Utf8;

}  // namespace varnoth::e2e
