#include "tiling/taskbar.h"

#include <string>

namespace varnoth {

DisplayMode GetDisplayMode(DesktopWindowing& desktop, int device) {
    DisplayModeRecord mode;  // zero-filled: a device that does not answer gives zeros
    std::string deviceName;
    if (device >= 0 && desktop.EnumDisplayDevicesA(static_cast<std::uint32_t>(device), deviceName)) {
        desktop.EnumDisplaySettingsA(deviceName, mode);
    }
    return DisplayMode{static_cast<std::uint16_t>(mode.bitsPerPel),
                       static_cast<std::uint16_t>(mode.pelsWidth),
                       static_cast<std::uint16_t>(mode.pelsHeight),
                       static_cast<std::uint16_t>(mode.displayFrequency)};
}

int GetTaskbarThickness(DesktopWindowing& desktop) {
    ScreenRect rc;  // stays zero when the query fails
    desktop.SHAppBarGetTaskbarPos(rc);
    const DisplayMode mode = GetDisplayMode(desktop, 0);
    const std::int64_t width = mode.width;
    const std::int64_t height = mode.height;
    // Differences in 64 bits: a nonsense rectangle must not overflow.
    std::int64_t thickness = 0;
    if (rc.left == 0 && rc.right == width) {
        thickness = std::int64_t{rc.bottom} - rc.top;  // along a horizontal edge
    } else if (rc.top == 0 && rc.bottom == height) {
        thickness = std::int64_t{rc.right} - rc.left;  // along a vertical edge
    }
    if (thickness > INT32_MAX || thickness < INT32_MIN) return 0;
    return static_cast<int>(thickness);
}

}  // namespace varnoth
