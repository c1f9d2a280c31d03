// Measuring the taskbar: its thickness along whichever screen edge it spans.
#pragma once

#include <cstdint>

#include "platform/desktop_windowing.h"

namespace varnoth {

// The current mode of a display device, each value cut to its low 16 bits;
// all 0 when the device does not exist.
struct DisplayMode {
    std::uint16_t bitsPerPixel = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint16_t frequency = 0;
};

DisplayMode GetDisplayMode(DesktopWindowing& desktop, int device);

// The taskbar's thickness in pixels when it spans the full width or height of
// display device 0, else 0.
int GetTaskbarThickness(DesktopWindowing& desktop);

}  // namespace varnoth
