// Conversions between the seam's 32-bit WindowHandle and the platform's HWND.
// Win32 keeps user handles meaningful in their low 32 bits and sign-extends
// them on x64 (so 0xFFFFFFFF stays HWND(-1)); these two are the one place that
// knows it. For app code and Windows-only tests.
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/desktop_windowing.h"

namespace varnoth {

// The HWND a WindowHandle names: its 32 bits sign-extended to pointer width.
inline HWND ToHwnd(WindowHandle handle) {
    return reinterpret_cast<HWND>(static_cast<std::intptr_t>(static_cast<std::int32_t>(handle)));
}

// The WindowHandle of an HWND: its low 32 bits.
inline WindowHandle FromHwnd(HWND window) {
    return static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(window));
}

}  // namespace varnoth
