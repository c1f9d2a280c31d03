// bare_window.exe: the least a Win32 program can do to show one window. It is
// the yardstick for varnoth.exe's start-up time and memory: same toolchain,
// same static runtime, one empty window of the same size, a message loop, and
// nothing else.
#include <windows.h>

namespace {

constexpr wchar_t kClassName[] = L"VarnothBareWindow";
constexpr wchar_t kCaption[] = L"Bare window";

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kClassName;
    if (RegisterClassExW(&windowClass) == 0) return 1;
    HWND window = CreateWindowExW(0, kClassName, kCaption,
                                  WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 351, 235, nullptr, nullptr,
                                  instance, nullptr);
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
