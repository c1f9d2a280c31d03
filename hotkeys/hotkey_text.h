// The three textual forms of a hotkey besides its numbers:
//   hotkey text  what a person writes, e.g. "Ctrl+Alt+A";
//   code text    modifiers and virtual-key code as decimal numbers, "3,65";
//   display text a readable rendering, "Ctrl + Alt + A".
// Texts are byte strings in the ANSI code page (936 for the Chinese key names)
// and end at their first zero byte.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace varnoth {

// The names of virtual-key codes 1 to 222, one line per code (line i names
// code i), joined by CR LF with no line break after the last line. Codes that
// have no name have an empty line.
std::string_view KeyNameTable();

// The name of virtual-key code `code`; codes outside 1 to 222 have the empty name.
std::string KeyNameOf(std::int32_t code);

// The code text of a hotkey text: modifier words ("Alt" 1, "Ctrl" 2, "Shift" 4,
// "Win" 8) found anywhere in the text, and the key named after the last "+".
// "0,0" when no key is recognised.
std::string ParseHotkeyText(std::string_view hotkeyText);

// The display text of a code text, or `fallback` when the code text has fewer
// than two pieces or its key is below 1.
std::string FormatHotkeyCode(std::string_view code, std::string_view fallback);

}  // namespace varnoth
