// Win32Desktop: each operation of the seam on the real API.
#include "platform/win32_desktop.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/win32_handles.h"

namespace varnoth {
namespace {

struct EnumAdapter {
    EnumWindowsCallback callback;
    void* context;
};

BOOL CALLBACK EnumAdapterProc(HWND window, LPARAM param) {
    auto* adapter = reinterpret_cast<EnumAdapter*>(param);
    // The callback is plain code of ours, but nothing may unwind through user32.
    try {
        return adapter->callback(FromHwnd(window), adapter->context) ? TRUE : FALSE;
    } catch (...) {
        return FALSE;
    }
}

// Copies `text` (of `length` bytes) into `buffer` cut to size - 1 bytes plus
// the zero; returns the bytes written without the zero.
int CopyCut(const char* text, int length, char* buffer, int size) {
    const int written = std::min(length, size - 1);
    std::memcpy(buffer, text, static_cast<std::size_t>(written));
    buffer[written] = '\0';
    return written;
}

// Nesting depth of hooked messages on this thread: CallWindowProcedure can
// only continue a subclass chain from inside one.
thread_local int hookedMessageDepth = 0;

LRESULT CALLBACK HookSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                  UINT_PTR subclassId, DWORD_PTR referenceData) {
    auto* hook = reinterpret_cast<WindowMessageHook*>(referenceData);
    LRESULT result = 0;
    ++hookedMessageDepth;
    try {
        result = hook->OnHookedMessage(FromHwnd(window), message, wParam, lParam);
    } catch (...) {
        result = 0;
    }
    --hookedMessageDepth;
    // The subclass must not outlive its window: comctl32 keeps the chain in a
    // window property that is only freed once the last subclass is gone.
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, HookSubclassProc, subclassId);
    }
    return result;
}

}  // namespace

WindowHandle Win32Desktop::GetDesktopWindow() { return FromHwnd(::GetDesktopWindow()); }

void Win32Desktop::EnumChildWindows(WindowHandle parent, EnumWindowsCallback callback,
                                    void* context) {
    if (callback == nullptr) return;
    EnumAdapter adapter{callback, context};
    ::EnumChildWindows(ToHwnd(parent), EnumAdapterProc, reinterpret_cast<LPARAM>(&adapter));
}

int Win32Desktop::GetClassNameA(WindowHandle window, char* buffer, int size) {
    if (buffer == nullptr || size <= 0) return 0;
    // Class names have at most 256 characters, two bytes each in a DBCS code
    // page. Reading into our own buffer keeps the caller's untouched on failure.
    char name[520];
    const int length = ::GetClassNameA(ToHwnd(window), name, static_cast<int>(sizeof name));
    if (length <= 0) return 0;
    return CopyCut(name, length, buffer, size);
}

int Win32Desktop::GetWindowTextLengthA(WindowHandle window) {
    return ::GetWindowTextLengthA(ToHwnd(window));
}

int Win32Desktop::GetWindowTextA(WindowHandle window, char* buffer, int size) {
    if (buffer == nullptr || size <= 0) return 0;
    std::vector<char> text(static_cast<std::size_t>(size) + 1, '\0');
    SetLastError(ERROR_SUCCESS);
    const int length = ::GetWindowTextA(ToHwnd(window), text.data(), size);
    if (length <= 0) {
        // An empty title is not a failure: the caller gets the empty text.
        if (GetLastError() != ERROR_SUCCESS) return 0;
        buffer[0] = '\0';
        return 0;
    }
    return CopyCut(text.data(), length, buffer, size);
}

bool Win32Desktop::IsIconic(WindowHandle window) { return ::IsIconic(ToHwnd(window)) != FALSE; }

bool Win32Desktop::IsZoomed(WindowHandle window) { return ::IsZoomed(ToHwnd(window)) != FALSE; }

bool Win32Desktop::RestoresToMaximized(WindowHandle window) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!::GetWindowPlacement(ToHwnd(window), &placement)) return false;
    return (placement.flags & WPF_RESTORETOMAXIMIZED) != 0;
}

bool Win32Desktop::CloseWindow(WindowHandle window) {
    return ::CloseWindow(ToHwnd(window)) != FALSE;
}

bool Win32Desktop::OpenIcon(WindowHandle window) { return ::OpenIcon(ToHwnd(window)) != FALSE; }

bool Win32Desktop::ShowWindow(WindowHandle window, ShowCommand command) {
    return ::ShowWindow(ToHwnd(window), static_cast<int>(command)) != FALSE;
}

bool Win32Desktop::GetWindowRect(WindowHandle window, ScreenRect& rect) {
    RECT outer{};
    if (!::GetWindowRect(ToHwnd(window), &outer)) return false;
    rect = ScreenRect{outer.left, outer.top, outer.right, outer.bottom};
    return true;
}

bool Win32Desktop::MoveWindow(WindowHandle window, int x, int y, int width, int height,
                              bool repaint) {
    return ::MoveWindow(ToHwnd(window), x, y, width, height, repaint ? TRUE : FALSE) != FALSE;
}

bool Win32Desktop::IsWindowResponding(WindowHandle window, std::uint32_t timeoutMs) {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(ToHwnd(window), WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                                 timeoutMs, &result) != 0;
}

bool Win32Desktop::ShowWindowAsync(WindowHandle window, ShowCommand command) {
    return ::ShowWindowAsync(ToHwnd(window), static_cast<int>(command)) != FALSE;
}

bool Win32Desktop::SetWindowPosAsync(WindowHandle window, int x, int y, int width, int height) {
    return ::SetWindowPos(ToHwnd(window), nullptr, x, y, width, height,
                          SWP_ASYNCWINDOWPOS | SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
}

int Win32Desktop::GetSystemMetrics(int index) { return ::GetSystemMetrics(index); }

// shell32 is loaded on the first taskbar query rather than with the process:
// only the tile command needs it, and loading it (with the DLLs it pulls in)
// before the window shows costs about 1 MiB of working set. Once loaded it
// stays for the life of the process.
namespace {

using AppBarMessageFunction = UINT_PTR(WINAPI*)(DWORD, PAPPBARDATA);

AppBarMessageFunction FindAppBarMessage() {
    HMODULE shell = ::GetModuleHandleW(L"shell32.dll");
    if (shell == nullptr) shell = ::LoadLibraryW(L"shell32.dll");
    if (shell == nullptr) return nullptr;
    return reinterpret_cast<AppBarMessageFunction>(
        reinterpret_cast<void*>(::GetProcAddress(shell, "SHAppBarMessage")));
}

}  // namespace

bool Win32Desktop::SHAppBarGetTaskbarPos(ScreenRect& rect) {
    const AppBarMessageFunction appBarMessage = FindAppBarMessage();
    if (appBarMessage == nullptr) return false;
    // cbSize is the size of this process's APPBARDATA (48 bytes on x64).
    APPBARDATA data{};
    data.cbSize = sizeof data;
    if (appBarMessage(ABM_GETTASKBARPOS, &data) == 0) return false;
    rect = ScreenRect{data.rc.left, data.rc.top, data.rc.right, data.rc.bottom};
    return true;
}

bool Win32Desktop::EnumDisplayDevicesA(std::uint32_t index, std::string& deviceName) {
    DISPLAY_DEVICEA device{};
    device.cb = sizeof device;
    if (!::EnumDisplayDevicesA(nullptr, index, &device, EDD_GET_DEVICE_INTERFACE_NAME)) {
        return false;
    }
    deviceName.assign(device.DeviceName, strnlen(device.DeviceName, sizeof device.DeviceName));
    return true;
}

bool Win32Desktop::EnumDisplaySettingsA(std::string_view deviceName, DisplayModeRecord& mode) {
    const std::string name(deviceName);  // the API wants a zero-terminated name
    DEVMODEA settings{};
    settings.dmSize = sizeof settings;
    if (!::EnumDisplaySettingsA(name.c_str(), ENUM_CURRENT_SETTINGS, &settings)) return false;
    mode = DisplayModeRecord{settings.dmBitsPerPel, settings.dmPelsWidth, settings.dmPelsHeight,
                             settings.dmDisplayFrequency};
    return true;
}

bool Win32Desktop::RegisterHotKey(WindowHandle window, std::int32_t id, std::uint32_t modifiers,
                                  std::uint32_t virtualKey) {
    return ::RegisterHotKey(ToHwnd(window), id, modifiers, virtualKey) != FALSE;
}

bool Win32Desktop::UnregisterHotKey(WindowHandle window, std::int32_t id) {
    return ::UnregisterHotKey(ToHwnd(window), id) != FALSE;
}

WindowProcedure Win32Desktop::HookWindowProcedure(WindowHandle window, WindowMessageHook& hook) {
    const HWND hwnd = ToHwnd(window);
    // comctl32 subclasses only work on the thread that owns the window.
    if (!::IsWindow(hwnd) || ::GetWindowThreadProcessId(hwnd, nullptr) != ::GetCurrentThreadId()) {
        return 0;
    }
    const auto previous = static_cast<WindowProcedure>(::GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
    if (previous == 0) return 0;
    const auto id = reinterpret_cast<UINT_PTR>(&hook);
    if (!::SetWindowSubclass(hwnd, HookSubclassProc, id, reinterpret_cast<DWORD_PTR>(&hook))) {
        return 0;
    }
    return previous;
}

bool Win32Desktop::UnhookWindowProcedure(WindowHandle window, WindowMessageHook& hook,
                                         WindowProcedure /*previous*/) {
    const HWND hwnd = ToHwnd(window);
    if (!::IsWindow(hwnd)) return false;
    const auto id = reinterpret_cast<UINT_PTR>(&hook);
    // False as well when this hook is not installed on the window.
    return ::RemoveWindowSubclass(hwnd, HookSubclassProc, id) != FALSE;
}

std::intptr_t Win32Desktop::CallWindowProcedure(WindowProcedure previous, WindowHandle window,
                                                std::uint32_t message, std::uintptr_t wParam,
                                                std::intptr_t lParam) {
    if (hookedMessageDepth > 0) {
        return ::DefSubclassProc(ToHwnd(window), message, wParam, lParam);
    }
    if (previous == 0) return 0;
    return ::CallWindowProcW(reinterpret_cast<WNDPROC>(previous), ToHwnd(window), message, wParam,
                             lParam);
}

}  // namespace varnoth
