// The window speaks UTF-16; the tiling core speaks UTF-8. Texts cross here.
#pragma once

#include <string>
#include <string_view>

namespace varnoth {

// UTF-8 to UTF-16; invalid sequences become U+FFFD as MultiByteToWideChar makes them.
std::wstring WideFromUtf8(std::string_view text);

// UTF-16 to UTF-8.
std::string Utf8FromWide(std::wstring_view text);

}  // namespace varnoth
