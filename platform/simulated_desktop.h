// An in-memory desktop that behaves as Windows does (as observed under Wine),
// for the unit tests and benchmarks. It keeps a window tree, the screen, the
// taskbar and the display devices, window procedures and hotkeys, and records
// every call made to it so a test can assert what was called and in what order.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/desktop_windowing.h"

namespace varnoth {

// Every operation of DesktopWindowing, for the call log and for failures on demand.
enum class DesktopCall {
    GetDesktopWindow,
    EnumChildWindows,
    GetClassNameA,
    GetWindowTextLengthA,
    GetWindowTextA,
    IsIconic,
    IsZoomed,
    RestoresToMaximized,
    CloseWindow,
    OpenIcon,
    ShowWindow,
    GetWindowRect,
    MoveWindow,
    IsWindowResponding,
    ShowWindowAsync,
    SetWindowPosAsync,
    GetSystemMetrics,
    SHAppBarGetTaskbarPos,
    EnumDisplayDevicesA,
    EnumDisplaySettingsA,
    RegisterHotKey,
    UnregisterHotKey,
    HookWindowProcedure,
    UnhookWindowProcedure,
    CallWindowProcedure,
};

std::string_view NameOf(DesktopCall call);

// One recorded call: the operation, the window it concerned (0 if none) and
// up to four integer arguments in the order the operation takes them.
struct RecordedCall {
    DesktopCall call;
    WindowHandle window = 0;
    std::int64_t args[4] = {0, 0, 0, 0};
};

enum class WindowState { Normal, Minimized, Maximized };

class SimulatedDesktop final : public DesktopWindowing {
public:
    using Procedure = std::function<std::intptr_t(WindowHandle, std::uint32_t, std::uintptr_t,
                                                  std::intptr_t)>;

    struct Display {
        std::string deviceName;           // e.g. "\\\\.\\DISPLAY1"
        DisplayModeRecord mode;
        bool answersSettings = true;      // EnumDisplaySettingsA succeeds
    };

    struct NewWindow {
        std::string className;
        std::string title;
        WindowHandle parent = 0;          // 0: a top-level window
        ScreenRect rect{100, 100, 900, 700};
        WindowState state = WindowState::Normal;
        bool restoresToMaximized = false; // for a window created minimised
    };

    // A 1920 x 1080 primary display with a 40-pixel taskbar at the bottom.
    SimulatedDesktop();

    // --- Building the scene -------------------------------------------------
    // New top-level windows go to the top of the z-order (enumerated first);
    // new child windows go below their siblings, as Windows places them.
    WindowHandle AddWindow(const NewWindow& window);
    WindowHandle AddWindow(std::string_view className, std::string_view title,
                           WindowHandle parent = 0);
    // Destroys the window and its descendants; their hotkeys are freed.
    void RemoveWindow(WindowHandle window);
    void SetTitle(WindowHandle window, std::string_view title);
    void SetClassName(WindowHandle window, std::string_view className);
    bool Exists(WindowHandle window) const;

    // Sets the screen size and display device 0 to match, taskbar unchanged.
    void SetScreenSize(int width, int height);
    // nullopt: the taskbar query fails.
    void SetTaskbarRect(std::optional<ScreenRect> rect);
    void SetDisplays(std::vector<Display> displays);

    // An unresponsive window answers no probe; synchronous calls that need its
    // thread are counted as blocking calls; asynchronous ones wait and take
    // effect, in order, when it responds again.
    void SetResponding(WindowHandle window, bool responding);
    // Synchronous calls made on a window while it was not responding.
    int BlockingCallsOnHungWindows() const { return blockingCalls_; }

    // Makes an operation fail (on one window, or on all with window 0).
    void SetFailing(DesktopCall call, bool failing, WindowHandle window = 0);

    // --- Inspecting ---------------------------------------------------------
    WindowState StateOf(WindowHandle window) const;
    ScreenRect RectOf(WindowHandle window) const;
    const std::vector<RecordedCall>& Calls() const { return calls_; }
    std::vector<DesktopCall> CallsOn(WindowHandle window) const;
    // How often each operation was called since the last ClearCalls; counted
    // even while the log is off.
    int CountOf(DesktopCall call) const;
    void ClearCalls();
    // Long benchmark runs turn the log off so it does not grow without bound.
    void SetLogging(bool on) { logging_ = on; }
    // Runs before each recorded call takes effect; a test may change the scene
    // from here (destroy a window between discovery and the move, say).
    void OnCall(std::function<void(const RecordedCall&)> observer) { observer_ = std::move(observer); }

    // --- Procedures and hotkeys ---------------------------------------------
    // The window's own procedure (default: returns 0 for every message).
    void SetWindowProcedure(WindowHandle window, Procedure procedure);
    // The procedure now in front of the window: what a message reaches first.
    WindowProcedure FrontProcedure(WindowHandle window) const;
    // Delivers a message through the window's current front procedure.
    std::intptr_t DeliverMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                              std::intptr_t lParam);
    // The user presses a combination: WM_HOTKEY (id in wParam, modifiers and key
    // in lParam) reaches the window that registered it. A hotkey registered
    // with window 0 goes to the thread's queue and reaches no window procedure.
    // Returns true when a window procedure received it.
    bool PressHotkey(std::uint32_t modifiers, std::uint32_t virtualKey);
    // Another program holds the combination, so registering it is refused.
    void HoldHotkeyElsewhere(std::uint32_t modifiers, std::uint32_t virtualKey, bool held = true);
    bool IsHotkeyRegistered(std::uint32_t modifiers, std::uint32_t virtualKey) const;

    // --- DesktopWindowing ---------------------------------------------------
    WindowHandle GetDesktopWindow() override;
    void EnumChildWindows(WindowHandle parent, EnumWindowsCallback callback, void* context) override;
    int GetClassNameA(WindowHandle window, char* buffer, int size) override;
    int GetWindowTextLengthA(WindowHandle window) override;
    int GetWindowTextA(WindowHandle window, char* buffer, int size) override;
    bool IsIconic(WindowHandle window) override;
    bool IsZoomed(WindowHandle window) override;
    bool RestoresToMaximized(WindowHandle window) override;
    bool CloseWindow(WindowHandle window) override;
    bool OpenIcon(WindowHandle window) override;
    bool ShowWindow(WindowHandle window, ShowCommand command) override;
    bool GetWindowRect(WindowHandle window, ScreenRect& rect) override;
    bool MoveWindow(WindowHandle window, int x, int y, int width, int height, bool repaint) override;
    bool IsWindowResponding(WindowHandle window, std::uint32_t timeoutMs) override;
    bool ShowWindowAsync(WindowHandle window, ShowCommand command) override;
    bool SetWindowPosAsync(WindowHandle window, int x, int y, int width, int height) override;
    int GetSystemMetrics(int index) override;
    bool SHAppBarGetTaskbarPos(ScreenRect& rect) override;
    bool EnumDisplayDevicesA(std::uint32_t index, std::string& deviceName) override;
    bool EnumDisplaySettingsA(std::string_view deviceName, DisplayModeRecord& mode) override;
    bool RegisterHotKey(WindowHandle window, std::int32_t id, std::uint32_t modifiers,
                        std::uint32_t virtualKey) override;
    bool UnregisterHotKey(WindowHandle window, std::int32_t id) override;
    WindowProcedure HookWindowProcedure(WindowHandle window, WindowMessageHook& hook) override;
    bool UnhookWindowProcedure(WindowHandle window, WindowMessageHook& hook,
                               WindowProcedure previous) override;
    std::intptr_t CallWindowProcedure(WindowProcedure previous, WindowHandle window,
                                      std::uint32_t message, std::uintptr_t wParam,
                                      std::intptr_t lParam) override;

private:
    struct Window;
    struct ProcedureLayer;
    struct PendingAsync;

    bool Record(DesktopCall call, WindowHandle window, std::int64_t a = 0, std::int64_t b = 0,
                std::int64_t c = 0, std::int64_t d = 0);
    Window* Find(WindowHandle window);
    const Window* Find(WindowHandle window) const;
    void NoteBlocking(const Window& window);
    void Minimize(Window& window);
    void Restore(Window& window);
    void BringToTop(Window& window);
    ScreenRect MaximizedRect() const;
    void ApplyPending(Window& window);
    void EnumDescendants(const std::vector<WindowHandle>& windows, EnumWindowsCallback callback,
                         void* context, bool& go_on);
    std::intptr_t Dispatch(std::size_t layer, WindowHandle window, std::uint32_t message,
                           std::uintptr_t wParam, std::intptr_t lParam);

    struct Window {
        WindowHandle handle = 0;
        WindowHandle parent = 0;
        std::string className;
        std::string title;
        ScreenRect rect;
        ScreenRect normalRect;
        WindowState state = WindowState::Normal;
        bool restoresToMaximized = false;
        bool responding = true;
        std::vector<WindowHandle> children;   // z-order, top first
        Procedure procedure;
        std::vector<PendingAsync> pending;
        std::size_t frontLayer = 0;           // index into layers_
    };
    struct ProcedureLayer {
        WindowHandle window = 0;
        WindowMessageHook* hook = nullptr;    // nullptr: the window's own procedure
        std::size_t below = 0;                // the layer this one passes to
        bool removed = false;
    };
    struct PendingAsync {
        bool isShow = true;
        ShowCommand command = ShowCommand::Restore;
        int x = 0, y = 0, width = 0, height = 0;
    };
    struct Hotkey {
        WindowHandle window = 0;
        std::int32_t id = 0;
        std::uint32_t modifiers = 0;
        std::uint32_t virtualKey = 0;
    };

    WindowHandle desktop_ = 0x10010;
    WindowHandle nextHandle_ = 0x20020;
    std::unordered_map<WindowHandle, Window> windows_;
    std::vector<WindowHandle> topLevel_;      // z-order, top first
    int screenWidth_ = 1920;
    int screenHeight_ = 1080;
    std::optional<ScreenRect> taskbar_;
    std::vector<Display> displays_;
    std::set<std::pair<DesktopCall, WindowHandle>> failing_;
    std::vector<RecordedCall> calls_;
    std::vector<int> callCounts_ = std::vector<int>(static_cast<int>(DesktopCall::CallWindowProcedure) + 1);
    bool logging_ = true;
    std::function<void(const RecordedCall&)> observer_;
    int blockingCalls_ = 0;
    std::vector<ProcedureLayer> layers_;      // index 0 unused: token 0 means none
    std::vector<Hotkey> hotkeys_;
    std::set<std::pair<std::uint32_t, std::uint32_t>> heldElsewhere_;
};

}  // namespace varnoth
