// Finding the browser windows: walk every window below a parent, keep those
// of one class (ASCII letter case ignored), then those with a title.
#pragma once

#include <string>
#include <string_view>

#include "platform/desktop_windowing.h"

namespace varnoth {

// The class of the top-level windows of Chromium-engine browsers.
inline constexpr std::string_view kBrowserWindowClass = "Chrome_WidgetWin_1";

// Fills `result` with the descendants of `parent` whose class name equals
// `filter` without regard to ASCII letter case, in enumeration order, and
// returns their number. A filter that is blank (spaces, full-width spaces) means
// no filter; `filter` is then replaced by the empty text.
int FindWindowsByClass(DesktopWindowing& desktop, WindowHandle parent, HandleList& result,
                       std::string& filter);

// The class name, at most 49 bytes; 50 spaces when the query writes nothing.
std::string GetWindowClassText(DesktopWindowing& desktop, WindowHandle window);

// The title; empty when the window has none.
std::string GetWindowTitleText(DesktopWindowing& desktop, WindowHandle window);

// The handles of `list` whose title is not empty, in the same order.
HandleList CollectTitledWindows(DesktopWindowing& desktop, const HandleList& list);

// The number of titled browser windows on the desktop.
int CountBrowserWindows(DesktopWindowing& desktop);

}  // namespace varnoth
