// The tool's one command: place exactly two browser windows side by side.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/desktop_windowing.h"

namespace varnoth {

// Status texts (UTF-8; the window converts them where it shows them).
namespace status_text {
inline constexpr std::string_view kNoWindowOfClass = "查找窗口句柄失败，请重试！";
inline constexpr std::string_view kNoTitledWindow = "当前没有打开Chrome内核的浏览器，请打开后重试！";
inline constexpr std::string_view kOneWindow = "当前只有1个浏览器，默认不更改！";
inline constexpr std::string_view kTiled = "平铺窗口，执行完毕！";
// Three or more titled windows: nothing is tiled.
std::string TooMany(int count);
}  // namespace status_text

// How long a browser may take to answer the responsiveness probe before it
// counts as hung and is placed only through the asynchronous calls.
inline constexpr std::uint32_t kResponsivenessTimeoutMs = 200;

// Finds the titled browser windows, reports their number through `showCount`
// (decimal digits), tiles them when there are exactly two, minimises
// `ownWindow` after a tiling, and returns the status text for the status line.
std::string TileBrowserWindows(DesktopWindowing& desktop, WindowHandle ownWindow,
                               const std::function<void(std::string_view)>& showCount);

}  // namespace varnoth
