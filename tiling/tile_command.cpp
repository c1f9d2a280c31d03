#include "tiling/tile_command.h"

#include <cmath>
#include <limits>

#include "tiling/taskbar.h"
#include "tiling/window_discovery.h"
#include "tiling/window_placement.h"

namespace varnoth {

std::string status_text::TooMany(int count) {
    return "当前有" + std::to_string(count) + "个浏览器，只支持平铺2个，默认不更改！";
}

namespace {

// Double arithmetic truncated toward zero, kept inside int's range.
int Truncate(double value) {
    if (!(value > std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    if (value >= std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    return static_cast<int>(std::trunc(value));
}

// Brings a browser that answers messages out of its minimised or maximised state.
void RestoreResponsiveWindow(DesktopWindowing& desktop, WindowHandle window) {
    if (desktop.IsIconic(window)) desktop.OpenIcon(window);
    if (desktop.IsZoomed(window)) {
        desktop.CloseWindow(window);
        desktop.OpenIcon(window);
        // A window that was maximised before it was minimised comes back
        // maximised from OpenIcon; only an explicit restore makes it normal.
        if (desktop.IsZoomed(window)) desktop.ShowWindow(window, ShowCommand::Restore);
    }
}

// A hung browser would block every synchronous call until it answers again,
// freezing the tool; the asynchronous forms return at once and take effect,
// in order, when it resumes.
void RestoreHungWindow(DesktopWindowing& desktop, WindowHandle window) {
    const bool minimised = desktop.IsIconic(window);
    const bool maximised =
        minimised ? desktop.RestoresToMaximized(window) : desktop.IsZoomed(window);
    if (minimised) desktop.ShowWindowAsync(window, ShowCommand::Restore);
    if (maximised) desktop.ShowWindowAsync(window, ShowCommand::Restore);
}

struct Placement {
    int x, y, width, height;
};

// Restores `window` and gives it `placement`, computed only after the restore
// so that it sees the screen and taskbar as they are at that moment.
template <typename ComputePlacement>
void RestoreAndPlace(DesktopWindowing& desktop, WindowHandle window, ComputePlacement compute) {
    if (desktop.IsWindowResponding(window, kResponsivenessTimeoutMs)) {
        RestoreResponsiveWindow(desktop, window);
        const Placement p = compute();
        MoveWindowPartly(desktop, window, p.x, p.y, p.width, p.height);
    } else {
        RestoreHungWindow(desktop, window);
        const Placement p = compute();
        desktop.SetWindowPosAsync(window, p.x, p.y, p.width, p.height);
    }
}

void TilePair(DesktopWindowing& desktop, WindowHandle left, WindowHandle right) {
    // Each window reaches 8 pixels past its half on both sides, so the frames
    // of the two overlap by 16 pixels in the middle and nothing shows between.
    RestoreAndPlace(desktop, left, [&] {
        const double sw = desktop.GetSystemMetrics(kSmCxScreen);
        const double sh = desktop.GetSystemMetrics(kSmCyScreen);
        const double t = GetTaskbarThickness(desktop);
        return Placement{-8, 0, Truncate(sw / 2 + 16), Truncate(sh - t)};
    });
    RestoreAndPlace(desktop, right, [&] {
        const double x = desktop.GetSystemMetrics(kSmCxScreen) / 2.0 - 8;
        const double sw = desktop.GetSystemMetrics(kSmCxScreen);
        const double sh = desktop.GetSystemMetrics(kSmCyScreen);
        const double t = GetTaskbarThickness(desktop);
        return Placement{Truncate(x), 0, Truncate(sw / 2 + 16), Truncate(sh - t)};
    });
}

}  // namespace

std::string TileBrowserWindows(DesktopWindowing& desktop, WindowHandle ownWindow,
                               const std::function<void(std::string_view)>& showCount) {
    HandleList found;
    std::string filter(kBrowserWindowClass);
    if (FindWindowsByClass(desktop, desktop.GetDesktopWindow(), found, filter) == 0) {
        // No browser at all: the count must not keep an earlier run's number.
        if (showCount) showCount("0");
        return std::string(status_text::kNoWindowOfClass);
    }
    const HandleList titled = CollectTitledWindows(desktop, found);
    const int count = static_cast<int>(titled.size());
    if (showCount) showCount(std::to_string(count));

    switch (count) {
        case 0: return std::string(status_text::kNoTitledWindow);
        case 1: return std::string(status_text::kOneWindow);
        case 2:
            TilePair(desktop, titled[0], titled[1]);
            desktop.CloseWindow(ownWindow);
            return std::string(status_text::kTiled);
        default:
            // Which two of them the user wants side by side is not ours to guess.
            return status_text::TooMany(count);
    }
}

}  // namespace varnoth
