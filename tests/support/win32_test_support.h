// Small Windows pieces that the test programs, the helper browser and the
// benchmark and soak harnesses all need: keyboard input and UTF-8 texts.
#pragma once

#include <windows.h>

#include <iterator>
#include <optional>
#include <string>
#include <string_view>

namespace varnoth::win32_test {

// One key going down or up, as the keyboard would send it.
inline INPUT KeyInput(WORD virtualKey, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

// Alt down, numeric-keypad 9 down and up, Alt up: what the user's fingers do.
// Returns how many of the four events the system took.
inline UINT PressAltNumpad9() {
    INPUT inputs[] = {KeyInput(VK_MENU, false), KeyInput(VK_NUMPAD9, false),
                      KeyInput(VK_NUMPAD9, true), KeyInput(VK_MENU, true)};
    return SendInput(static_cast<UINT>(std::size(inputs)), inputs, sizeof(INPUT));
}

inline std::string Utf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

inline std::wstring WideFromUtf8(std::string_view text) {
    if (text.empty()) return {};
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

// The whole of a file that another process may be writing at the same time;
// nothing when it cannot be opened.
inline std::optional<std::string> ReadSharedFile(const std::wstring& path) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string content;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) {
        content.append(chunk, read);
    }
    CloseHandle(file);
    return content;
}

}  // namespace varnoth::win32_test
