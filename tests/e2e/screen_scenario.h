// The scenario that the screen-size tests run inside a virtual desktop.
#pragma once

#include <string>

namespace varnoth::e2e {

inline constexpr wchar_t kScreenScenarioFlag[] = L"--screen-scenario";

// Starts two browsers and varnoth.exe, tiles with a click, and writes the
// measured screen, window and browser rectangles to `resultPath`.
int RunScreenScenario(const std::wstring& resultPath);

}  // namespace varnoth::e2e
