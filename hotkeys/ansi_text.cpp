#include "hotkeys/ansi_text.h"

namespace varnoth::ansi {

namespace {

constexpr unsigned char Byte(char c) { return static_cast<unsigned char>(c); }

constexpr bool IsCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

constexpr std::string_view kFullWidthSpace = "\xA1\xA1";

}  // namespace

std::string_view UpToZero(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

std::size_t CharLength(std::string_view text, std::size_t position) {
    return IsLeadByte(Byte(text[position])) && position + 1 < text.size() ? 2 : 1;
}

std::size_t FindFirst(std::string_view text, std::string_view word) {
    if (word.empty()) return std::string_view::npos;
    for (std::size_t at = 0; at < text.size(); at += CharLength(text, at)) {
        if (text.substr(at, word.size()) == word) return at;
    }
    return std::string_view::npos;
}

std::size_t FindLast(std::string_view text, std::string_view word) {
    std::size_t last = std::string_view::npos;
    if (word.empty()) return last;
    for (std::size_t at = 0; at < text.size(); at += CharLength(text, at)) {
        if (text.substr(at, word.size()) == word) last = at;
    }
    return last;
}

std::string_view Trim(std::string_view text) {
    // Walk whole characters from the left so that the right end is judged on
    // character boundaries too.
    std::size_t begin = std::string_view::npos;
    std::size_t end = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = CharLength(text, at);
        const std::string_view character = text.substr(at, length);
        if (character != " " && character != kFullWidthSpace) {
            if (begin == std::string_view::npos) begin = at;
            end = at + length;
        }
        at += length;
    }
    if (begin == std::string_view::npos) return text.substr(0, 0);
    return text.substr(begin, end - begin);
}

std::vector<std::string_view> Split(std::string_view text, std::string_view separator) {
    std::vector<std::string_view> pieces;
    while (!text.empty()) {
        const std::size_t at = FindFirst(text, separator);
        if (at == std::string_view::npos) {
            pieces.push_back(text);
            break;
        }
        pieces.push_back(text.substr(0, at));
        text.remove_prefix(at + separator.size());
    }
    return pieces;
}

std::string FullWidthToAscii(std::string_view text) {
    std::string ascii;
    ascii.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = CharLength(text, at);
        if (length == 2) {
            const unsigned char lead = Byte(text[at]);
            const unsigned char trail = Byte(text[at + 1]);
            if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
                ascii.push_back(static_cast<char>(trail - 0x80));
            } else if (lead == 0xA1 && trail == 0xA1) {
                ascii.push_back(' ');
            } else if (lead == 0xA1 && trail == 0xAB) {
                ascii.push_back('~');
            } else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF)) {
                ascii.push_back('*');
            } else {
                ascii.append(text.substr(at, 2));
            }
        } else {
            ascii.push_back(text[at]);
        }
        at += length;
    }
    return ascii;
}

std::int32_t ReadNumber(std::string_view text) {
    const std::string ascii = FullWidthToAscii(UpToZero(text));
    std::size_t at = 0;
    while (at < ascii.size() && IsCSpace(ascii[at])) ++at;
    bool negative = false;
    if (at < ascii.size() && (ascii[at] == '+' || ascii[at] == '-')) {
        negative = ascii[at] == '-';
        ++at;
    }
    std::uint32_t value = 0;
    for (; at < ascii.size() && ascii[at] >= '0' && ascii[at] <= '9'; ++at) {
        value = value * 10u + static_cast<std::uint32_t>(ascii[at] - '0');
    }
    if (negative) value = 0u - value;
    return static_cast<std::int32_t>(value);
}

std::uint8_t ReadByte(std::string_view text) {
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(ReadNumber(text)) & 0xFFu);
}

}  // namespace varnoth::ansi
