// The desktop seam realised on the real Win32 API (user32, shell32, comctl32).
// Stateless: every call goes straight to the platform. This header leaves
// <windows.h> out so app code and tests can hold a Win32Desktop without the
// whole Windows API in scope; platform/win32_handles.h converts handles.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/desktop_windowing.h"

namespace varnoth {

class Win32Desktop final : public DesktopWindowing {
public:
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

    // The hook is a comctl32 window subclass keyed by the hook's address, so
    // several hooks can sit on one window and each is removed on its own. Only
    // windows of the calling thread can be hooked. The token returned is the
    // window procedure that was in front before (GWLP_WNDPROC).
    WindowProcedure HookWindowProcedure(WindowHandle window, WindowMessageHook& hook) override;
    bool UnhookWindowProcedure(WindowHandle window, WindowMessageHook& hook,
                               WindowProcedure previous) override;
    // Meant to be called from within WindowMessageHook::OnHookedMessage: there
    // it hands the message to the next procedure of the subclass chain
    // (DefSubclassProc), which reaches the window's own procedure without any
    // ANSI/Unicode translation. Called outside a hooked message it falls back
    // to CallWindowProcW on `previous`.
    std::intptr_t CallWindowProcedure(WindowProcedure previous, WindowHandle window,
                                      std::uint32_t message, std::uintptr_t wParam,
                                      std::intptr_t lParam) override;
};

}  // namespace varnoth
