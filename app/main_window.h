// MainWindow: the program's one window, a fixed-size frame with four labels, a
// group box and the tile button. Its state lives with the window: the object is
// handed over as the create parameter and found again through GWLP_USERDATA.
#pragma once

#include <windows.h>

#include <cstdint>

#include "hotkeys/hotkey_registry.h"
#include "platform/desktop_windowing.h"

namespace varnoth {

// The registered name of the main window's class; other programs (the
// end-to-end tests) find the window by it and its caption.
inline constexpr wchar_t kMainWindowClass[] = L"VarnothMainWindow";
inline constexpr wchar_t kMainWindowCaption[] = L"Varnoth V0.2";
inline constexpr int kMainWindowWidth = 351;
inline constexpr int kMainWindowHeight = 235;

// The tile hotkey: Alt + numeric-keypad 9, held under a Chinese name whose bytes
// are those of code page 936 ("快捷键"), as every registry name is ANSI text.
inline constexpr char kTileHotkeyName[] = "\xBF\xEC\xBD\xDD\xBC\xFC";
inline constexpr std::uint8_t kTileHotkeyModifiers = 1;  // MOD_ALT
inline constexpr std::uint8_t kTileHotkeyKey = 0x69;     // VK_NUMPAD9

class MainWindow {
public:
    MainWindow(DesktopWindowing& desktop, HotkeyRegistry& registry);
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Registers the window class once per process.
    static bool RegisterWindowClass(HINSTANCE instance);

    // Creates the window centred on the primary screen with its controls; the
    // created event has run when this returns, and the window is still hidden.
    HWND Create(HINSTANCE instance);

    HWND Handle() const { return window_; }

    // True when `message` is a plain Esc key-down for this window or one of its
    // controls; the message loop then closes the window instead of dispatching.
    bool IsCloseKey(const MSG& message) const;

private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    bool OnCreate();
    void OnCommand(int controlId, int notification);
    LRESULT OnControlColour(HDC dc, HWND control);
    void OnSetFocus();
    void OnDestroy();

    // The created event: attach the registry, register the tile hotkey, show
    // the start-up count.
    void OnCreated();
    // The tile handler, for the button and the hotkey.
    void RunTileCommand();
    static void OnTileHotkey(void* context, std::int32_t id, std::uint32_t modifiers,
                             std::uint32_t key);

    HWND CreateControl(const struct ControlLayout& layout);
    void SetControlText(HWND control, std::string_view utf8Text);

    DesktopWindowing& desktop_;
    HotkeyRegistry& registry_;
    HWND window_ = nullptr;
    HWND groupBox_ = nullptr;       // 分组框1
    HWND countCaption_ = nullptr;   // 标签1
    HWND countLabel_ = nullptr;     // 标签_浏览器数量
    HWND statusLabel_ = nullptr;    // 标签_运行状态
    HWND tileButton_ = nullptr;     // 按钮1
    HWND shortcutLabel_ = nullptr;  // 标签2
};

}  // namespace varnoth
