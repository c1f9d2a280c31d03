// The one seam between Varnoth and the desktop. Everything the tiling core and
// the hotkey registry do to windows goes through DesktopWindowing, so the same
// code runs against the real Win32 API and against the in-memory simulated
// desktop used by the unit tests and benchmarks.
//
// Operations keep their Windows names and meanings. Texts are byte strings in
// the system's ANSI code page. Nothing here throws; failures come back as the
// neutral values Windows itself gives (0, false, an empty text).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace varnoth {

// An opaque 32-bit window handle; 0 means none. Win32 guarantees that user
// handles keep their meaning in 32 bits (they are sign-extended on x64).
using WindowHandle = std::uint32_t;

// Handles in the order the desktop enumeration reported them.
using HandleList = std::vector<WindowHandle>;

// An outer rectangle in screen pixels, as GetWindowRect and APPBARDATA::rc give it.
struct ScreenRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

// The fields of DEVMODE that the taskbar measurement reads.
struct DisplayModeRecord {
    std::uint32_t bitsPerPel = 0;
    std::uint32_t pelsWidth = 0;
    std::uint32_t pelsHeight = 0;
    std::uint32_t displayFrequency = 0;
};

// GetSystemMetrics indices.
inline constexpr int kSmCxScreen = 0;
inline constexpr int kSmCyScreen = 1;

// ShowWindow / ShowWindowAsync commands that Varnoth uses.
enum class ShowCommand : int {
    Restore = 9,  // SW_RESTORE
};

// Called once per window by EnumChildWindows; return false to stop.
using EnumWindowsCallback = bool (*)(WindowHandle window, void* context);

// WM_HOTKEY and WM_NULL, the two messages whose numbers the core needs.
inline constexpr std::uint32_t kWmNull = 0x0000;
inline constexpr std::uint32_t kWmHotkey = 0x0312;

// Something that sees a window's messages before the window's own procedure.
// The platform calls OnHookedMessage for every message of a hooked window; the
// hook decides what to return (normally by calling CallWindowProcedure with the
// previous procedure it was given when it was installed).
class WindowMessageHook {
public:
    virtual std::intptr_t OnHookedMessage(WindowHandle window, std::uint32_t message,
                                          std::uintptr_t wParam, std::intptr_t lParam) = 0;

protected:
    ~WindowMessageHook() = default;
};

// An opaque reference to a window procedure; 0 means none.
using WindowProcedure = std::uintptr_t;

class DesktopWindowing {
public:
    virtual ~DesktopWindowing() = default;

    // --- Enumeration and window texts ---------------------------------------
    virtual WindowHandle GetDesktopWindow() = 0;
    // Calls `callback` once for every descendant of `parent` (children of
    // children included), in the platform's order, until it returns false.
    virtual void EnumChildWindows(WindowHandle parent, EnumWindowsCallback callback,
                                  void* context) = 0;
    // Writes the class name, zero-terminated and cut to size - 1 bytes, into
    // `buffer`; returns the number of bytes written without the zero (0 on failure,
    // and then the buffer is left untouched).
    virtual int GetClassNameA(WindowHandle window, char* buffer, int size) = 0;
    virtual int GetWindowTextLengthA(WindowHandle window) = 0;
    // As GetClassNameA, for the title.
    virtual int GetWindowTextA(WindowHandle window, char* buffer, int size) = 0;

    // --- Window state and placement -----------------------------------------
    virtual bool IsIconic(WindowHandle window) = 0;
    virtual bool IsZoomed(WindowHandle window) = 0;
    // True when a restore of this minimised window brings it back maximised
    // (GetWindowPlacement's WPF_RESTORETOMAXIMIZED). Never blocks.
    virtual bool RestoresToMaximized(WindowHandle window) = 0;
    // Minimises (never destroys) the window.
    virtual bool CloseWindow(WindowHandle window) = 0;
    // Restores and activates a minimised window; false when it was not minimised.
    virtual bool OpenIcon(WindowHandle window) = 0;
    virtual bool ShowWindow(WindowHandle window, ShowCommand command) = 0;
    virtual bool GetWindowRect(WindowHandle window, ScreenRect& rect) = 0;
    virtual bool MoveWindow(WindowHandle window, int x, int y, int width, int height,
                            bool repaint) = 0;

    // --- Windows that may have stopped responding ---------------------------
    // A bounded probe (SendMessageTimeout of WM_NULL with SMTO_ABORTIFHUNG):
    // true when the window's thread answered within `timeoutMs`.
    virtual bool IsWindowResponding(WindowHandle window, std::uint32_t timeoutMs) = 0;
    // The asynchronous forms: they return at once and take effect when the
    // window's thread next handles its messages.
    virtual bool ShowWindowAsync(WindowHandle window, ShowCommand command) = 0;
    // SetWindowPos with SWP_ASYNCWINDOWPOS | SWP_NOZORDER | SWP_NOACTIVATE.
    virtual bool SetWindowPosAsync(WindowHandle window, int x, int y, int width,
                                   int height) = 0;

    // --- Screen, taskbar and display ----------------------------------------
    virtual int GetSystemMetrics(int index) = 0;
    // SHAppBarMessage(ABM_GETTASKBARPOS): the taskbar rectangle; false (and
    // `rect` untouched) when the query fails.
    virtual bool SHAppBarGetTaskbarPos(ScreenRect& rect) = 0;
    // EnumDisplayDevicesA(nullptr, index, ..., EDD_GET_DEVICE_INTERFACE_NAME):
    // true and the device name when the index exists.
    virtual bool EnumDisplayDevicesA(std::uint32_t index, std::string& deviceName) = 0;
    // EnumDisplaySettingsA(deviceName, ENUM_CURRENT_SETTINGS): true and the
    // current mode when the device answers; `mode` is untouched otherwise.
    virtual bool EnumDisplaySettingsA(std::string_view deviceName, DisplayModeRecord& mode) = 0;

    // --- System-wide hotkeys ------------------------------------------------
    virtual bool RegisterHotKey(WindowHandle window, std::int32_t id, std::uint32_t modifiers,
                                std::uint32_t virtualKey) = 0;
    virtual bool UnregisterHotKey(WindowHandle window, std::int32_t id) = 0;

    // --- Window procedure hooks ---------------------------------------------
    // Puts `hook` in front of the window's procedure. Returns the procedure that
    // was in front before (non-zero), or 0 when the window cannot be hooked.
    // Writes no executable code.
    virtual WindowProcedure HookWindowProcedure(WindowHandle window, WindowMessageHook& hook) = 0;
    // Takes `hook` out again, so `previous` is in front once more. False when the
    // window no longer exists or the hook was not installed.
    virtual bool UnhookWindowProcedure(WindowHandle window, WindowMessageHook& hook,
                                       WindowProcedure previous) = 0;
    // Passes a message to `previous` and returns its result unchanged. The
    // message travels as it came: no ANSI/Unicode translation on the way, so a
    // Unicode window's texts reach its own procedure intact.
    virtual std::intptr_t CallWindowProcedure(WindowProcedure previous, WindowHandle window,
                                          std::uint32_t message, std::uintptr_t wParam,
                                          std::intptr_t lParam) = 0;
};

}  // namespace varnoth
