// Giving a window a new outer rectangle, keeping the values not given.
#pragma once

#include <optional>

#include "platform/desktop_windowing.h"

namespace varnoth {

// Moves `window` to (x, y, width, height); each value left out keeps the
// window's current one. True when the platform accepted the move.
bool MoveWindowPartly(DesktopWindowing& desktop, WindowHandle window, std::optional<int> x,
                      std::optional<int> y, std::optional<int> width, std::optional<int> height);

}  // namespace varnoth
