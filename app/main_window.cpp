#include "app/main_window.h"

#include <commctrl.h>

#include <string>

#include "app/text_conversion.h"
#include "platform/win32_handles.h"
#include "tiling/tile_command.h"
#include "tiling/window_discovery.h"

namespace varnoth {

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 128, 0);

constexpr wchar_t kHotkeyTakenText[] = L"快捷键被占用，请点击按钮平铺！";

// The only control whose notifications matter.
constexpr int kTileButtonId = 1001;

// Labels: text on one line, vertically centred, clipped to the label, with '&'
// drawn as itself.
constexpr DWORD kLabelStyle = SS_NOPREFIX | SS_CENTERIMAGE;

// The group box's two controls are siblings placed at the group box's origin
// plus their offset, above it in the stacking order, as a dialog template lays
// out a group box: the button's click and the labels' colour requests then
// reach the main window directly, without a subclass on the group box that
// would have to forward them. WS_CLIPSIBLINGS on every control lets the upper
// one win where two overlap (the count label over the end of its caption, the
// button and label over the group box).
constexpr int kGroupBoxX = 8;
constexpr int kGroupBoxY = 56;

}  // namespace

struct ControlLayout {
    const wchar_t* className;
    DWORD style;
    int id;
    int x;
    int y;
    int width;
    int height;
    const wchar_t* text;
};

MainWindow::MainWindow(DesktopWindowing& desktop, HotkeyRegistry& registry)
    : desktop_(desktop), registry_(registry) {}

bool MainWindow::RegisterWindowClass(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &MainWindow::WindowProcedure;
    windowClass.hInstance = instance;
    // Both icons come from the program's icon resource; LR_SHARED icons belong
    // to the system and are never destroyed by the program.
    windowClass.hIcon = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                   GetSystemMetrics(SM_CYICON), LR_SHARED));
    windowClass.hIconSm = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                   GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kMainWindowClass;
    return RegisterClassExW(&windowClass) != 0;
}

HWND MainWindow::Create(HINSTANCE instance) {
    const int x = (GetSystemMetrics(SM_CXSCREEN) - kMainWindowWidth) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - kMainWindowHeight) / 2;
    // A fixed frame (no WS_THICKFRAME), system menu and minimise box only. No
    // WS_CLIPCHILDREN: the group box draws only its frame, so the window's own
    // background must be painted beneath it.
    constexpr DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    return CreateWindowExW(0, kMainWindowClass, kMainWindowCaption, style, x, y,
                           kMainWindowWidth, kMainWindowHeight, nullptr, nullptr, instance,
                           this);
}

bool MainWindow::IsCloseKey(const MSG& message) const {
    if (message.message != WM_KEYDOWN || message.wParam != VK_ESCAPE || window_ == nullptr) {
        return false;
    }
    if (message.hwnd != window_ && !IsChild(window_, message.hwnd)) {
        return false;
    }
    const bool anyModifier = (GetKeyState(VK_CONTROL) & 0x8000) != 0 ||
                             (GetKeyState(VK_SHIFT) & 0x8000) != 0 ||
                             (GetKeyState(VK_MENU) & 0x8000) != 0;
    return !anyModifier;
}

LRESULT CALLBACK MainWindow::WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        auto* self = static_cast<MainWindow*>(create->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return OnCreate() ? 0 : -1;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_CTLCOLORSTATIC:
        return OnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SETFOCUS:
        OnSetFocus();
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    default:
        return DefWindowProcW(window_, message, wParam, lParam);
    }
}

HWND MainWindow::CreateControl(const ControlLayout& layout) {
    // Hidden at first; OnCreate shows them once all exist.
    const DWORD style = WS_CHILD | WS_CLIPSIBLINGS | layout.style;
    HWND control = CreateWindowExW(0, layout.className, layout.text, style, layout.x, layout.y,
                                   layout.width, layout.height, window_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.id)),
                                   reinterpret_cast<HINSTANCE>(
                                       GetWindowLongPtrW(window_, GWLP_HINSTANCE)),
                                   nullptr);
    if (control == nullptr) {
        return nullptr;
    }
    // Each new control goes on top, so creation order is the stacking order
    // from bottom to top.
    SetWindowPos(control, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 FALSE);
    return control;
}

bool MainWindow::OnCreate() {
    const ControlLayout layouts[] = {
        {L"BUTTON", BS_GROUPBOX, 0, kGroupBoxX, kGroupBoxY, 328, 96, L""},
        {L"STATIC", SS_LEFT | kLabelStyle, 0, 16, 8, 128, 40, L"当前已开浏览器数量："},
        {L"STATIC", SS_LEFT | kLabelStyle, 0, 137, 8, 31, 40, L"0"},
        {L"STATIC", SS_LEFT | kLabelStyle, 0, 8, 160, 328, 40, L"当前尚未运行"},
        {L"BUTTON", BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | WS_TABSTOP, kTileButtonId,
         kGroupBoxX + 116, kGroupBoxY + 24, 96, 32, L"一键平铺"},
        {L"STATIC", SS_CENTER | kLabelStyle, 0, kGroupBoxX + 96, kGroupBoxY + 64, 136, 24,
         L"快捷键：Alt+9（小键盘）"},
    };
    HWND* const targets[] = {&groupBox_,   &countCaption_, &countLabel_,
                             &statusLabel_, &tileButton_,  &shortcutLabel_};
    static_assert(std::size(layouts) == std::size(targets));
    for (std::size_t i = 0; i < std::size(layouts); ++i) {
        *targets[i] = CreateControl(layouts[i]);
        if (*targets[i] == nullptr) {
            return false;
        }
    }
    for (HWND* control : targets) {
        ShowWindow(*control, SW_SHOWNA);
    }
    OnCreated();
    return true;
}

void MainWindow::OnCreated() {
    registry_.Attach(FromHwnd(window_));
    const std::int32_t hotkeyId =
        registry_.Register(kTileHotkeyName, kTileHotkeyModifiers, kTileHotkeyKey,
                           HotkeyCallback{&MainWindow::OnTileHotkey, this});
    // Another program holds Alt + numeric-keypad 9: say so at once, so the user
    // knows only the button tiles.
    if (hotkeyId == 0) {
        SetWindowTextW(statusLabel_, kHotkeyTakenText);
    }
    SetControlText(countLabel_, std::to_string(CountBrowserWindows(desktop_)));
}

void MainWindow::OnCommand(int controlId, int notification) {
    if (controlId == kTileButtonId && notification == BN_CLICKED) {
        RunTileCommand();
    }
}

void MainWindow::OnTileHotkey(void* context, std::int32_t, std::uint32_t, std::uint32_t) {
    static_cast<MainWindow*>(context)->RunTileCommand();
}

void MainWindow::RunTileCommand() {
    const std::string status =
        TileBrowserWindows(desktop_, FromHwnd(window_),
                           [this](std::string_view count) { SetControlText(countLabel_, count); });
    SetControlText(statusLabel_, status);
}

void MainWindow::SetControlText(HWND control, std::string_view utf8Text) {
    SetWindowTextW(control, WideFromUtf8(utf8Text).c_str());
}

LRESULT MainWindow::OnControlColour(HDC dc, HWND control) {
    COLORREF colour = kBlack;
    if (control == countLabel_) {
        colour = kRed;
    } else if (control == statusLabel_ || control == shortcutLabel_) {
        colour = kGreen;
    }
    SetTextColor(dc, colour);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    // A system brush: owned by the system, never deleted.
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void MainWindow::OnSetFocus() {
    // The button is the window's only tab stop; it takes the focus, as in a
    // dialog, so Space clicks it.
    if (tileButton_ != nullptr) {
        SetFocus(tileButton_);
    }
}

void MainWindow::OnDestroy() {
    registry_.UnregisterByName(kTileHotkeyName);
    PostQuitMessage(0);
}

}  // namespace varnoth
