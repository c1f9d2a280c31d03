// bare_controls.exe: the least varnoth.exe's window can cost. The same window
// as varnoth.exe's (size, styles, icon, common controls version 6 by
// manifest) with the same six controls, texts, font and colours, built with
// the same toolchain and static runtime, and nothing else: no tiling core, no
// hotkey registry, no enumeration of the desktop. Measured beside
// bare_window.exe, it splits varnoth.exe's start-up time and memory into what
// the window and its controls cost under the platform and what Varnoth's own
// logic adds.
#include <windows.h>

#include <commctrl.h>

#include <iterator>

namespace {

constexpr wchar_t kClassName[] = L"VarnothBareControls";
constexpr wchar_t kCaption[] = L"Bare controls";

constexpr DWORD kLabelStyle = SS_NOPREFIX | SS_CENTERIMAGE;
constexpr int kGroupBoxX = 8;
constexpr int kGroupBoxY = 56;

struct Control {
    const wchar_t* className;
    DWORD style;
    int x;
    int y;
    int width;
    int height;
    const wchar_t* text;
    COLORREF colour;
};

// In creation order, which is the stacking order from bottom to top.
constexpr Control kControls[] = {
    {L"BUTTON", BS_GROUPBOX, kGroupBoxX, kGroupBoxY, 328, 96, L"", RGB(0, 0, 0)},
    {L"STATIC", SS_LEFT | kLabelStyle, 16, 8, 128, 40, L"当前已开浏览器数量：", RGB(0, 0, 0)},
    {L"STATIC", SS_LEFT | kLabelStyle, 137, 8, 31, 40, L"0", RGB(255, 0, 0)},
    {L"STATIC", SS_LEFT | kLabelStyle, 8, 160, 328, 40, L"当前尚未运行", RGB(0, 128, 0)},
    {L"BUTTON", BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | WS_TABSTOP, kGroupBoxX + 116,
     kGroupBoxY + 24, 96, 32, L"一键平铺", RGB(0, 0, 0)},
    {L"STATIC", SS_CENTER | kLabelStyle, kGroupBoxX + 96, kGroupBoxY + 64, 136, 24,
     L"快捷键：Alt+9（小键盘）", RGB(0, 128, 0)},
};

// The control's index in kControls is its id, so WM_CTLCOLORSTATIC finds its colour.
LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        const auto instance = reinterpret_cast<const CREATESTRUCTW*>(lParam)->hInstance;
        for (std::size_t i = 0; i < std::size(kControls); ++i) {
            const Control& control = kControls[i];
            HWND child = CreateWindowExW(
                0, control.className, control.text,
                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | control.style, control.x, control.y,
                control.width, control.height, window,
                reinterpret_cast<HMENU>(static_cast<INT_PTR>(i)), instance, nullptr);
            if (child == nullptr) return -1;
            SendMessageW(child, WM_SETFONT,
                         reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        }
        return 0;
    }
    case WM_CTLCOLORSTATIC: {
        const auto id = static_cast<std::size_t>(GetDlgCtrlID(reinterpret_cast<HWND>(lParam)));
        const auto dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, id < std::size(kControls) ? kControls[id].colour : RGB(0, 0, 0));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    INITCOMMONCONTROLSEX commonControls{sizeof commonControls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&commonControls);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                   GetSystemMetrics(SM_CYICON), LR_SHARED));
    windowClass.hIconSm = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                   GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kClassName;
    if (RegisterClassExW(&windowClass) == 0) return 1;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - 351) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - 235) / 2;
    HWND window = CreateWindowExW(0, kClassName, kCaption,
                                  WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, x, y,
                                  351, 235, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return 1;
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
