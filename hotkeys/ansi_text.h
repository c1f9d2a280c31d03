// Text rules for byte strings in the system's ANSI code page (code page 936
// for the Chinese texts): double-byte-aware search, trimming of both kinds of
// blank, splitting, and reading numbers the way the C library's atoi does after
// full-width characters are turned into their ASCII forms.
//
// Every text is taken to end at its first zero byte, as the zero-terminated
// texts of the system do: bytes after a zero are never looked at.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace varnoth::ansi {

// The text up to (not including) its first zero byte.
std::string_view UpToZero(std::string_view text);

// A byte from 0x81 to 0xFE starts a double-byte character.
constexpr bool IsLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

// Bytes taken by the character that starts at `position`: 2 for a lead byte
// followed by another byte, else 1 (a lead byte at the very end stands alone).
std::size_t CharLength(std::string_view text, std::size_t position);

// Byte offset of the first / last occurrence of `word` that begins on a
// character boundary, or std::string_view::npos. An empty word is never found.
std::size_t FindFirst(std::string_view text, std::string_view word);
std::size_t FindLast(std::string_view text, std::string_view word);
inline bool Contains(std::string_view text, std::string_view word) {
    return FindFirst(text, word) != std::string_view::npos;
}

// Removes spaces (0x20) and full-width spaces (0xA1 0xA1) from both ends.
// Tabs and line breaks are kept; a trailing 0xA1 that is the second byte of
// another character is not mistaken for half of a full-width space.
std::string_view Trim(std::string_view text);

// Pieces between separators: empty pieces between two separators and a
// leading empty piece are kept, a separator at the very end gives no trailing
// empty piece, and the empty text gives no pieces.
std::vector<std::string_view> Split(std::string_view text, std::string_view separator);

// Full-width forms to ASCII: 0xA3 0xA1..0xFE -> 0x21..0x7E, 0xA1 0xA1 -> space,
// 0xA1 0xAB -> '~', 0xA1 0xEE and 0xA1 0xEF -> '*'; other characters unchanged.
std::string FullWidthToAscii(std::string_view text);

// atoi after FullWidthToAscii: leading white space skipped, an optional sign,
// decimal digits up to the first other character, 0 when there are none.
// Digits accumulate modulo 2^32, so an over-long number wraps instead of
// being undefined, and its low 8 bits are always those of the written value.
std::int32_t ReadNumber(std::string_view text);
// The low 8 bits of ReadNumber: "300" reads as 44, "-1" as 255.
std::uint8_t ReadByte(std::string_view text);

}  // namespace varnoth::ansi
