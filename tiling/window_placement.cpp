#include "tiling/window_placement.h"

namespace varnoth {

bool MoveWindowPartly(DesktopWindowing& desktop, WindowHandle window, std::optional<int> x,
                      std::optional<int> y, std::optional<int> width, std::optional<int> height) {
    ScreenRect rect;  // stays zero when the window cannot be read
    desktop.GetWindowRect(window, rect);
    const auto currentWidth = static_cast<int>(std::int64_t{rect.right} - rect.left);
    const auto currentHeight = static_cast<int>(std::int64_t{rect.bottom} - rect.top);
    return desktop.MoveWindow(window, x.value_or(rect.left), y.value_or(rect.top),
                              width.value_or(currentWidth), height.value_or(currentHeight), true);
}

}  // namespace varnoth
