#include "tiling/window_discovery.h"

#include <algorithm>
#include <cstddef>

namespace varnoth {

namespace {

// Room for 100 handles at first; the list doubles whenever it is full, so a
// desktop with many windows costs few reallocations.
constexpr std::size_t kInitialHandleCapacity = 100;

// What the enumeration callback works with.
struct EnumContext {
    DesktopWindowing* desktop = nullptr;
    std::string filter;   // lower-cased; empty: no filter
    HandleList handles;
};

bool IsLeadByte(unsigned char byte) { return byte >= 0x80; }

// True when the text holds nothing but spaces and full-width spaces (the byte
// pair A1 A1). Read from the start, so character boundaries are never lost.
bool IsBlank(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == 0x20) {
            ++i;
        } else if (byte == 0xA1 && i + 1 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) == 0xA1) {
            i += 2;
        } else {
            return false;
        }
    }
    return true;
}

// Lower-cases ASCII A to Z and leaves double-byte characters whole: the second
// byte of a pair may look like a capital letter, but is not one.
std::string AsciiLower(std::string_view text) {
    std::string result(text);
    for (std::size_t i = 0; i < result.size(); ++i) {
        const auto byte = static_cast<unsigned char>(result[i]);
        if (IsLeadByte(byte)) {
            ++i;
        } else if (byte >= 'A' && byte <= 'Z') {
            result[i] = static_cast<char>(byte - 'A' + 'a');
        }
    }
    return result;
}

bool CollectMatchingWindow(WindowHandle window, void* user) {
    if (window == 0) return false;
    auto& context = *static_cast<EnumContext*>(user);
    const std::string className = GetWindowClassText(*context.desktop, window);
    if (!context.filter.empty() && AsciiLower(className) != context.filter) return true;
    if (context.handles.size() == context.handles.capacity()) {
        context.handles.reserve(context.handles.capacity() * 2);
    }
    context.handles.push_back(window);
    return true;
}

}  // namespace

int FindWindowsByClass(DesktopWindowing& desktop, WindowHandle parent, HandleList& result,
                       std::string& filter) {
    result.clear();
    if (IsBlank(filter)) filter.clear();

    EnumContext context;
    context.desktop = &desktop;
    context.filter = AsciiLower(filter);
    context.handles.reserve(kInitialHandleCapacity);
    desktop.EnumChildWindows(parent, &CollectMatchingWindow, &context);

    result = std::move(context.handles);
    return static_cast<int>(result.size());
}

std::string GetWindowClassText(DesktopWindowing& desktop, WindowHandle window) {
    // 50 spaces and a zero: a query that writes nothing leaves the spaces.
    char buffer[51];
    std::fill(buffer, buffer + 50, ' ');
    buffer[50] = '\0';
    desktop.GetClassNameA(window, buffer, 50);
    return std::string(buffer);
}

std::string GetWindowTitleText(DesktopWindowing& desktop, WindowHandle window) {
    const int size = std::max(desktop.GetWindowTextLengthA(window), 0) + 1;
    std::string buffer(static_cast<std::size_t>(size), ' ');
    // A query that copies nothing (the window vanished after its length was
    // read) means no title: the untouched spaces must not pass for one.
    if (desktop.GetWindowTextA(window, buffer.data(), size) <= 0) return {};
    buffer.resize(std::min(buffer.find('\0'), buffer.size()));
    return buffer;
}

HandleList CollectTitledWindows(DesktopWindowing& desktop, const HandleList& list) {
    HandleList titled;
    for (WindowHandle window : list) {
        if (!GetWindowTitleText(desktop, window).empty()) titled.push_back(window);
    }
    return titled;
}

int CountBrowserWindows(DesktopWindowing& desktop) {
    HandleList list;
    std::string filter(kBrowserWindowClass);
    if (FindWindowsByClass(desktop, desktop.GetDesktopWindow(), list, filter) == 0) return 0;
    return static_cast<int>(CollectTitledWindows(desktop, list).size());
}

}  // namespace varnoth
