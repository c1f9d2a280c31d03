// Starts fake_browser.exe in a process of its own and drives it through its
// command file (the protocol is described at the top of fake_browser.cpp).
// Windows-only test code. The process and its files go away with the driver.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/win32_test_support.h"

namespace varnoth::testing {

struct FakeWindowInfo {
    std::string name;
    HWND hwnd = nullptr;
    RECT rect{};
    std::string state;  // normal, min or max
};

class FakeBrowserProcess {
public:
    FakeBrowserProcess() = default;
    FakeBrowserProcess(const FakeBrowserProcess&) = delete;
    FakeBrowserProcess& operator=(const FakeBrowserProcess&) = delete;
    ~FakeBrowserProcess() { Stop(); }

    // fake_browser.exe: VARNOTH_FAKE_BROWSER if set, else ..\helpers\ beside
    // the running test program (both live in the build's tests folder).
    static std::wstring ExecutablePath() {
        if (const wchar_t* path = _wgetenv(L"VARNOTH_FAKE_BROWSER"); path != nullptr && *path) {
            return path;
        }
        wchar_t self[MAX_PATH];
        const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring dir(self, length);
        dir.resize(dir.find_last_of(L"\\/"));
        dir.resize(dir.find_last_of(L"\\/") + 1);
        return dir + L"helpers\\fake_browser.exe";
    }

    // Starts the process with the given --window descriptions and waits for its
    // "ready" line. The process exits by itself after `lifetimeMs`.
    bool Start(const std::vector<std::wstring>& windowDescriptions, DWORD lifetimeMs = 30000,
               DWORD readyWaitMs = 15000) {
        wchar_t tempDir[MAX_PATH];
        GetTempPathW(MAX_PATH, tempDir);
        const std::wstring stem = std::wstring(tempDir) + L"varnoth-fake-" +
                                  std::to_wstring(GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(++Serial());
        outPath_ = stem + L".out";
        commandsPath_ = stem + L".cmd";
        DeleteFileW(outPath_.c_str());
        const HANDLE commands = CreateFileW(commandsPath_.c_str(), GENERIC_WRITE,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (commands == INVALID_HANDLE_VALUE) return false;
        CloseHandle(commands);

        std::wstring commandLine = Quote(ExecutablePath()) + L" --out " + Quote(outPath_) +
                                   L" --commands " + Quote(commandsPath_) + L" --timeout-ms " +
                                   std::to_wstring(lifetimeMs);
        for (const auto& description : windowDescriptions) commandLine += L" --window " + Quote(description);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &info)) {
            return false;
        }
        CloseHandle(info.hThread);
        process_ = info.hProcess;
        if (!WaitForLine("ready", readyWaitMs)) return false;
        ParseWindows(Lines());
        return true;
    }

    const std::vector<FakeWindowInfo>& Windows() const { return windows_; }
    HWND Hwnd(std::string_view name) const {
        for (const auto& window : windows_) {
            if (window.name == name) return window.hwnd;
        }
        return nullptr;
    }

    // Appends one command line; true when it was written.
    bool Send(std::string_view command) {
        const HANDLE file = CreateFileW(commandsPath_.c_str(), FILE_APPEND_DATA,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        std::string line(command);
        line += '\n';
        DWORD written = 0;
        const bool ok = WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written,
                                  nullptr) && written == line.size();
        CloseHandle(file);
        if (ok) ++sent_;
        return ok;
    }

    // Sends a command and waits for its "ok N" line.
    bool Command(std::string_view command, DWORD waitMs = 5000) {
        if (!Send(command)) return false;
        return WaitForLine("ok " + std::to_string(sent_) + " ", waitMs);
    }

    // Waits until some result line starts with `prefix`; gives up early when
    // the process has ended.
    bool WaitForLine(std::string_view prefix, DWORD waitMs) {
        const ULONGLONG deadline = GetTickCount64() + waitMs;
        while (true) {
            const bool ended = process_ == nullptr || WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
            for (const auto& line : Lines()) {
                if (line.rfind(prefix, 0) == 0) return true;
            }
            if (ended || GetTickCount64() >= deadline) return false;
            Sleep(10);
        }
    }

    // Every complete result line so far.
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        const std::optional<std::string> text = win32_test::ReadSharedFile(outPath_);
        if (!text) return lines;
        const std::string& content = *text;
        std::size_t start = 0;
        for (auto end = content.find('\n'); end != std::string::npos;
             end = content.find('\n', start)) {
            lines.push_back(content.substr(start, end - start));
            start = end + 1;
        }
        return lines;
    }

    // Asks the process to quit, and ends it if it does not.
    void Stop() {
        if (process_ != nullptr) {
            Send("quit");
            if (WaitForSingleObject(process_, 3000) != WAIT_OBJECT_0) {
                TerminateProcess(process_, 1);
                WaitForSingleObject(process_, 3000);
            }
            CloseHandle(process_);
            process_ = nullptr;
        }
        if (!outPath_.empty()) DeleteFileW(outPath_.c_str());
        if (!commandsPath_.empty()) DeleteFileW(commandsPath_.c_str());
    }

private:
    static int& Serial() {
        static int serial = 0;
        return serial;
    }

    static std::wstring Quote(const std::wstring& text) {
        std::wstring quoted = L"\"";
        for (const wchar_t c : text) {
            if (c == L'"') quoted += L'\\';
            quoted += c;
        }
        return quoted + L"\"";
    }

    void ParseWindows(const std::vector<std::string>& lines) {
        windows_.clear();
        for (const auto& line : lines) {
            if (line.rfind("ready", 0) == 0) break;
            char name[128];
            unsigned long long handle = 0;
            long left = 0, top = 0, right = 0, bottom = 0;
            char state[16];
            if (std::sscanf(line.c_str(), "window %127s %llx %ld %ld %ld %ld %15s", name, &handle,
                            &left, &top, &right, &bottom, state) == 7) {
                // The handle is written as its low 32 bits; HWNDs are sign-extended.
                const auto low = static_cast<std::int32_t>(static_cast<std::uint32_t>(handle));
                windows_.push_back(FakeWindowInfo{
                    name, reinterpret_cast<HWND>(static_cast<std::intptr_t>(low)),
                    RECT{left, top, right, bottom}, state});
            }
        }
    }

    HANDLE process_ = nullptr;
    std::wstring outPath_;
    std::wstring commandsPath_;
    int sent_ = 0;
    std::vector<FakeWindowInfo> windows_;
};

}  // namespace varnoth::testing
