#include "tests/e2e/e2e_support.h"

#include <cstring>
#include <cwchar>

namespace varnoth::e2e {

using win32_test::KeyInput;

namespace {

constexpr wchar_t kMainWindowClass[] = L"VarnothMainWindow";

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindProcessMainWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && ClassNameOf(window) == kMainWindowClass &&
        IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

void Send(std::vector<INPUT> inputs) {
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    // Let the receiving thread see the input before the caller looks.
    Sleep(100);
}

// The Unix path of a Windows path, through Wine's own conversion; empty when
// not running under Wine.
std::string UnixPathOf(const std::wstring& path) {
    using Convert = char*(CDECL*)(const wchar_t*);
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto convert = reinterpret_cast<Convert>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_unix_file_name")));
    if (convert == nullptr) {
        return {};
    }
    char* unixPath = convert(path.c_str());
    if (unixPath == nullptr) {
        return {};
    }
    std::string result(unixPath);
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

// GDI fallback: the screen as a 24-bit BMP.
bool SaveScreenBitmap(const std::wstring& path) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, previous);

    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    const DWORD rowBytes = static_cast<DWORD>((width * 3 + 3) & ~3);
    std::vector<char> pixels(static_cast<std::size_t>(rowBytes) * static_cast<std::size_t>(height));
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
              reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    bool ok = WriteFile(out, &file, sizeof(file), &written, nullptr) &&
              WriteFile(out, &header, sizeof(header), &written, nullptr) &&
              WriteFile(out, pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
    CloseHandle(out);
    return ok;
}

}  // namespace

std::wstring TestProgramDirectory() {
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring directory(self, length);
    directory.resize(directory.find_last_of(L"\\/") + 1);
    return directory;
}

std::wstring VarnothExecutablePath() {
    if (const wchar_t* path = _wgetenv(L"VARNOTH_EXE"); path != nullptr && *path != L'\0') {
        return path;
    }
    // <build>\tests\e2e\ -> <build>\app\varnoth.exe
    return TestProgramDirectory() + L"..\\..\\app\\varnoth.exe";
}

bool WaitUntil(const std::function<bool()>& condition, DWORD waitMs) {
    const ULONGLONG deadline = GetTickCount64() + waitMs;
    for (;;) {
        if (condition()) {
            return true;
        }
        if (GetTickCount64() >= deadline) {
            return false;
        }
        Sleep(20);
    }
}

ChildProcess::~ChildProcess() { Kill(); }

bool ChildProcess::Start(std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        return false;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
    return true;
}

bool ChildProcess::WaitForExit(DWORD waitMs, DWORD& exitCode) {
    if (process_ == nullptr || WaitForSingleObject(process_, waitMs) != WAIT_OBJECT_0) {
        return false;
    }
    return GetExitCodeProcess(process_, &exitCode) != FALSE;
}

void ChildProcess::Kill() {
    if (process_ == nullptr) {
        return;
    }
    if (WaitForSingleObject(process_, 0) != WAIT_OBJECT_0) {
        TerminateProcess(process_, 99);
        WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
    process_ = nullptr;
}

bool VarnothSession::Start() {
    if (!process_.Start(L"\"" + VarnothExecutablePath() + L"\"")) {
        return false;
    }
    WindowSearch search{process_.Id(), nullptr};
    if (!WaitUntil([&] {
            EnumWindows(&FindProcessMainWindow, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        })) {
        return false;
    }
    window_ = search.found;
    // Stacking order, top first; the controls are listed bottom first.
    const std::vector<HWND> children = ChildrenTopFirst(window_);
    if (children.size() != 6) {
        return false;
    }
    controls_ = MainWindowControls{children[5], children[4], children[3],
                                   children[2], children[1], children[0]};
    return true;
}

VarnothSession::~VarnothSession() {
    if (window_ != nullptr && IsWindow(window_)) {
        PostMessageW(window_, WM_CLOSE, 0, 0);
        DWORD exitCode = 0;
        process_.WaitForExit(5000, exitCode);
    }
}

bool VarnothSession::WaitForText(HWND control, std::wstring_view expected, DWORD waitMs) const {
    return WaitUntil([&] { return ReadText(control) == expected; }, waitMs);
}

std::vector<HWND> ChildrenTopFirst(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

std::wstring ReadText(HWND window) {
    wchar_t buffer[512] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, std::size(buffer),
                             reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000, &copied)) {
        return L"<no answer>";
    }
    return std::wstring(buffer, static_cast<std::size_t>(copied));
}

std::wstring ClassNameOf(HWND window) {
    wchar_t buffer[256] = {};
    const int length = GetClassNameW(window, buffer, static_cast<int>(std::size(buffer)));
    return std::wstring(buffer, static_cast<std::size_t>(length > 0 ? length : 0));
}

RECT RectIn(HWND window, HWND container) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, container, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void ClickAt(POINT screenPoint) {
    SetCursorPos(screenPoint.x, screenPoint.y);
    Sleep(50);
    INPUT down{};
    down.type = INPUT_MOUSE;
    down.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    INPUT up = down;
    up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    Send({down, up});
}

void ClickCentreOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    ClickAt(POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
}

void PressKey(WORD virtualKey) { Send({KeyInput(virtualKey, false), KeyInput(virtualKey, true)}); }

void PressAltNumpad9() {
    Send({KeyInput(VK_MENU, false), KeyInput(VK_NUMPAD9, false), KeyInput(VK_NUMPAD9, true),
          KeyInput(VK_MENU, true)});
}

bool BringToForeground(HWND window) {
    const bool foreground = WaitUntil(
        [&] {
            if (GetForegroundWindow() == window) {
                return true;
            }
            SetForegroundWindow(window);
            return false;
        },
        3000);
    // When the focus moves, Wine reloads the keyboard state from the X server
    // once the new window's thread sees the X focus event; a key injected with
    // SendInput before that (an Alt, say) is forgotten. Let it settle.
    Sleep(250);
    return foreground;
}

std::wstring SaveScreenshot(std::wstring_view name) {
    const std::wstring directory = TestProgramDirectory() + L"screenshots";
    CreateDirectoryW(directory.c_str(), nullptr);
    const std::wstring png = directory + L"\\" + std::wstring(name) + L".png";
    DeleteFileW(png.c_str());
    // ImageMagick on the X display the programs run on; Wine starts Unix
    // programs given by their Unix path.
    const char* display = getenv("DISPLAY");
    const std::string unixPng = UnixPathOf(png);
    if (display != nullptr && !unixPng.empty()) {
        ChildProcess import;
        std::wstring command = L"/usr/bin/import -window root -display " +
                               std::wstring(display, display + std::strlen(display)) + L" \"" +
                               std::wstring(unixPng.begin(), unixPng.end()) + L"\"";
        // A Unix program started this way gives no waitable process handle
        // back, so the finished file is the signal.
        if (import.Start(command) &&
            WaitUntil([&] { return GetFileAttributesW(png.c_str()) != INVALID_FILE_ATTRIBUTES; },
                      15000)) {
            Sleep(500);
            return png;
        }
    }
    const std::wstring bmp = directory + L"\\" + std::wstring(name) + L".bmp";
    return SaveScreenBitmap(bmp) ? bmp : std::wstring();
}

std::pair<HWND, HWND> InEnumerationOrder(HWND first, HWND second) {
    struct Search {
        HWND first, second, found;
    } search{first, second, nullptr};
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            if (window == s->first || window == s->second) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found == second ? std::pair{second, first} : std::pair{first, second};
}

}  // namespace varnoth::e2e
