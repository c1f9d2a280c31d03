// fake_browser.exe: plays the windows of a Chromium-engine browser in a process
// of its own, so tests can find, count, hang and move real windows that belong
// to another process, as Varnoth meets them on a user's desktop.
//
// Command line
//   fake_browser.exe --out FILE [--commands FILE] [--timeout-ms N] [--window DESC]...
//
//   --out FILE       results, UTF-8 text lines (see below); created or emptied.
//   --commands FILE  polled every 20 ms for new complete lines, one command each.
//   --timeout-ms N   exits by itself after N ms (default 60000), whatever happens.
//   --window DESC    one window; windows are created in the order given, so a
//                    parent comes before its children. DESC is a comma-separated
//                    list of key=value, `title` last because it takes the rest of
//                    DESC, commas included:
//                      id=NAME        required, the name used in results and commands
//                      parent=NAME    makes it a child (WS_CHILD) of that window
//                      state=normal|min|max|min-from-max
//                                     for top-level windows; min-from-max is minimised
//                                     from maximised, so it restores to maximised
//                      rect=X:Y:W:H   outer rectangle (client-relative for a child)
//                      class=NAME     window class, default Chrome_WidgetWin_1
//                      title=TEXT     the title; leave it out for an untitled window
//                    e.g. --window "id=a,state=max,title=新标签页 - Chrome"
//
// Results (--out), each line written whole and flushed:
//   window NAME HWND LEFT TOP RIGHT BOTTOM STATE   HWND as 0x + 8 hex digits (its low
//                                                  32 bits), STATE normal|min|max
//   ready PID                       after the first window lines: all windows exist
//   hang-start MS / hang-end        around a hang
//   hotkey MODS VK registered|refused
//   pressed MODS VK                 WM_HOTKEY arrived for the held hotkey
//   ok N VERB                       command line N (from 1) is done
//   error N TEXT                    command line N was not understood
//   exit quit|timeout
//
// Commands (--commands; append lines ending in \n, UTF-8):
//   hang MS            stops pumping messages for MS ms: every window of this
//                      process stops responding, queued calls wait
//   report             writes the window lines again
//   show NAME normal|min|max|restore
//   title NAME TEXT    sets the title (empty TEXT: untitled)
//   destroy NAME
//   hotkey MODS VK     RegisterHotKey (MOD_* bits, virtual-key code), held until
//                      unhotkey or exit; e.g. "hotkey 1 105" holds Alt+Numpad9
//   unhotkey
//   quit
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/win32_test_support.h"

namespace win32_test = varnoth::win32_test;

namespace {

constexpr wchar_t kControlClass[] = L"VarnothFakeBrowserControl";
constexpr UINT_PTR kPollTimer = 1;
constexpr int kHotkeyId = 1;

struct FakeWindow {
    std::string name;
    HWND hwnd = nullptr;
    bool child = false;
};

struct Options {
    std::wstring outPath;
    std::wstring commandsPath;
    ULONGLONG timeoutMs = 60000;
    std::vector<std::wstring> windowDescriptions;
};

// The results file, shared for reading so the driver can follow it live.
class ResultFile {
public:
    explicit ResultFile(const std::wstring& path)
        : handle_(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE |
                                  FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~ResultFile() {
        if (ok()) CloseHandle(handle_);
    }
    ResultFile(const ResultFile&) = delete;
    ResultFile& operator=(const ResultFile&) = delete;

    bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }
    void Line(std::string line) {
        line += '\n';
        DWORD written = 0;
        WriteFile(handle_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        FlushFileBuffers(handle_);
    }

private:
    HANDLE handle_;
};

std::string Hex32(HWND hwnd) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lx",
                  static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(hwnd) & 0xFFFFFFFFu));
    return text;
}

class FakeBrowser {
public:
    FakeBrowser(Options options, ResultFile& out) : options_(std::move(options)), out_(out) {}
    ~FakeBrowser() {
        for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
            if (IsWindow(it->hwnd)) DestroyWindow(it->hwnd);
        }
        if (control_ != nullptr) {
            if (holdsHotkey_) UnregisterHotKey(control_, kHotkeyId);
            DestroyWindow(control_);
        }
    }
    FakeBrowser(const FakeBrowser&) = delete;
    FakeBrowser& operator=(const FakeBrowser&) = delete;

    bool Start() {
        deadline_ = GetTickCount64() + options_.timeoutMs;
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSEXW control{};
        control.cbSize = sizeof control;
        control.lpfnWndProc = ControlProc;
        control.hInstance = instance;
        control.lpszClassName = kControlClass;
        RegisterClassExW(&control);
        control_ = CreateWindowExW(0, kControlClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   instance, this);
        if (control_ == nullptr) return false;
        SetWindowLongPtrW(control_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        for (const auto& description : options_.windowDescriptions) {
            if (!CreateFromDescription(description)) return false;
        }
        Report();
        out_.Line("ready " + std::to_string(GetCurrentProcessId()));
        SetTimer(control_, kPollTimer, 20, nullptr);
        return true;
    }

    int Run() {
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        return 0;
    }

private:
    static LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<FakeBrowser*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self != nullptr) {
            if (message == WM_TIMER && wParam == kPollTimer) {
                self->Poll();
                return 0;
            }
            if (message == WM_HOTKEY) {
                self->out_.Line("pressed " + std::to_string(LOWORD(lParam)) + " " +
                                std::to_string(HIWORD(lParam)));
                return 0;
            }
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

    static std::wstring_view Trim(std::wstring_view text) {
        while (!text.empty() && text.front() == L' ') text.remove_prefix(1);
        while (!text.empty() && text.back() == L' ') text.remove_suffix(1);
        return text;
    }

    bool CreateFromDescription(std::wstring_view description) {
        std::wstring id, parent, state = L"normal", rect, className = L"Chrome_WidgetWin_1";
        std::wstring title;
        bool titled = false;
        while (!description.empty()) {
            const auto equals = description.find(L'=');
            if (equals == std::wstring_view::npos) break;
            const std::wstring_view key = Trim(description.substr(0, equals));
            std::wstring_view rest = description.substr(equals + 1);
            if (key == L"title") {
                title.assign(rest);
                titled = true;
                break;
            }
            const auto comma = rest.find(L',');
            const std::wstring value(comma == std::wstring_view::npos ? rest : rest.substr(0, comma));
            description = comma == std::wstring_view::npos ? std::wstring_view{} : rest.substr(comma + 1);
            if (key == L"id") id = value;
            else if (key == L"parent") parent = value;
            else if (key == L"state") state = value;
            else if (key == L"rect") rect = value;
            else if (key == L"class") className = value;
        }
        if (id.empty()) {
            out_.Line("error 0 window without id");
            return false;
        }
        const int index = static_cast<int>(windows_.size());
        int x = 100 + 40 * index, y = 80 + 30 * index, width = 800, height = 600;
        HWND parentHwnd = nullptr;
        if (!parent.empty()) {
            parentHwnd = Find(win32_test::Utf8(parent));
            if (parentHwnd == nullptr) {
                out_.Line("error 0 unknown parent " + win32_test::Utf8(parent));
                return false;
            }
            x = 0;
            y = 0;
            width = 200;
            height = 100;
        }
        if (!rect.empty()) {
            std::swscanf(rect.c_str(), L"%d:%d:%d:%d", &x, &y, &width, &height);
        }
        RegisterWindowClass(className);
        const DWORD style = parentHwnd != nullptr ? (WS_CHILD | WS_VISIBLE) : WS_OVERLAPPEDWINDOW;
        const HWND hwnd = CreateWindowExW(0, className.c_str(), titled ? title.c_str() : nullptr,
                                          style, x, y, width, height, parentHwnd, nullptr,
                                          GetModuleHandleW(nullptr), nullptr);
        if (hwnd == nullptr) {
            out_.Line("error 0 cannot create " + win32_test::Utf8(id));
            return false;
        }
        windows_.push_back(FakeWindow{win32_test::Utf8(id), hwnd, parentHwnd != nullptr});
        if (parentHwnd == nullptr) {
            if (state == L"min") {
                ShowWindow(hwnd, SW_SHOWMINNOACTIVE);
            } else if (state == L"max") {
                ShowWindow(hwnd, SW_SHOWMAXIMIZED);
            } else if (state == L"min-from-max") {
                ShowWindow(hwnd, SW_SHOWMAXIMIZED);
                ShowWindow(hwnd, SW_SHOWMINIMIZED);
            } else {
                ShowWindow(hwnd, SW_SHOWNORMAL);
            }
            UpdateWindow(hwnd);
        }
        return true;
    }

    void RegisterWindowClass(const std::wstring& className) {
        WNDCLASSEXW existing{};
        existing.cbSize = sizeof existing;
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        if (GetClassInfoExW(instance, className.c_str(), &existing)) return;
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        windowClass.lpszClassName = className.c_str();
        RegisterClassExW(&windowClass);
    }

    HWND Find(std::string_view name) const {
        for (const auto& window : windows_) {
            if (window.name == name) return window.hwnd;
        }
        return nullptr;
    }

    void Report() {
        for (const auto& window : windows_) {
            if (!IsWindow(window.hwnd)) continue;
            RECT rect{};
            GetWindowRect(window.hwnd, &rect);
            const char* state = IsIconic(window.hwnd)   ? "min"
                                : IsZoomed(window.hwnd) ? "max"
                                                        : "normal";
            out_.Line("window " + window.name + " " + Hex32(window.hwnd) + " " +
                      std::to_string(rect.left) + " " + std::to_string(rect.top) + " " +
                      std::to_string(rect.right) + " " + std::to_string(rect.bottom) + " " +
                      state);
        }
    }

    void Poll() {
        if (GetTickCount64() >= deadline_) {
            out_.Line("exit timeout");
            PostQuitMessage(0);
            return;
        }
        if (options_.commandsPath.empty()) return;
        const std::optional<std::string> text = win32_test::ReadSharedFile(options_.commandsPath);
        if (!text) return;
        const std::string& content = *text;
        // Only complete lines count; a command is never run twice.
        std::size_t start = 0;
        int lineNumber = 0;
        while (true) {
            const auto end = content.find('\n', start);
            if (end == std::string::npos) break;
            ++lineNumber;
            if (lineNumber > commandsDone_) {
                std::string line = content.substr(start, end - start);
                if (!line.empty() && line.back() == '\r') line.pop_back();
                commandsDone_ = lineNumber;
                if (!Execute(lineNumber, line)) return;
            }
            start = end + 1;
        }
    }

    // Returns false once the process is to end.
    bool Execute(int number, const std::string& line) {
        const std::string n = std::to_string(number);
        const auto space = line.find(' ');
        const std::string verb = line.substr(0, space);
        const std::string rest = space == std::string::npos ? std::string{} : line.substr(space + 1);
        if (verb == "hang") {
            const unsigned long ms = std::strtoul(rest.c_str(), nullptr, 10);
            out_.Line("hang-start " + std::to_string(ms));
            Sleep(static_cast<DWORD>(ms));
            out_.Line("hang-end");
        } else if (verb == "report") {
            Report();
        } else if (verb == "show" || verb == "title" || verb == "destroy") {
            const auto split = rest.find(' ');
            const std::string name = rest.substr(0, split);
            const std::string argument = split == std::string::npos ? std::string{} : rest.substr(split + 1);
            const HWND hwnd = Find(name);
            if (hwnd == nullptr) {
                out_.Line("error " + n + " unknown window " + name);
                return true;
            }
            if (verb == "title") {
                SetWindowTextW(hwnd, win32_test::WideFromUtf8(argument).c_str());
            } else if (verb == "destroy") {
                DestroyWindow(hwnd);
            } else {
                const int command = argument == "min"       ? SW_MINIMIZE
                                    : argument == "max"     ? SW_MAXIMIZE
                                    : argument == "restore" ? SW_RESTORE
                                                            : SW_SHOWNORMAL;
                ShowWindow(hwnd, command);
            }
        } else if (verb == "hotkey") {
            unsigned modifiers = 0, key = 0;
            std::sscanf(rest.c_str(), "%u %u", &modifiers, &key);
            if (holdsHotkey_) UnregisterHotKey(control_, kHotkeyId);
            holdsHotkey_ = RegisterHotKey(control_, kHotkeyId, modifiers, key) != FALSE;
            out_.Line("hotkey " + std::to_string(modifiers) + " " + std::to_string(key) +
                      (holdsHotkey_ ? " registered" : " refused"));
        } else if (verb == "unhotkey") {
            if (holdsHotkey_) UnregisterHotKey(control_, kHotkeyId);
            holdsHotkey_ = false;
        } else if (verb == "quit") {
            out_.Line("ok " + n + " quit");
            out_.Line("exit quit");
            PostQuitMessage(0);
            return false;
        } else {
            out_.Line("error " + n + " unknown command " + verb);
            return true;
        }
        out_.Line("ok " + n + " " + verb);
        return true;
    }

    Options options_;
    ResultFile& out_;
    HWND control_ = nullptr;
    std::vector<FakeWindow> windows_;
    int commandsDone_ = 0;
    bool holdsHotkey_ = false;
    ULONGLONG deadline_ = 0;
};

bool ParseArguments(Options& options) {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr) return false;
    bool ok = true;
    for (int i = 1; i < count; ++i) {
        const std::wstring_view argument = arguments[i];
        const bool hasValue = i + 1 < count;
        if (argument == L"--out" && hasValue) {
            options.outPath = arguments[++i];
        } else if (argument == L"--commands" && hasValue) {
            options.commandsPath = arguments[++i];
        } else if (argument == L"--timeout-ms" && hasValue) {
            options.timeoutMs = std::wcstoull(arguments[++i], nullptr, 10);
        } else if (argument == L"--window" && hasValue) {
            options.windowDescriptions.emplace_back(arguments[++i]);
        } else {
            ok = false;
        }
    }
    LocalFree(arguments);
    return ok && !options.outPath.empty();
}

}  // namespace

int main() {
    Options options;
    if (!ParseArguments(options)) {
        std::fputs("usage: fake_browser.exe --out FILE [--commands FILE] [--timeout-ms N] "
                   "[--window DESC]...\n",
                   stderr);
        return 2;
    }
    ResultFile out(options.outPath);
    if (!out.ok()) return 3;
    FakeBrowser browser(std::move(options), out);
    if (!browser.Start()) return 4;
    return browser.Run();
}
