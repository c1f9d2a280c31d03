#include "hotkeys/hotkey_text.h"

#include <array>
#include <cstddef>
#include <vector>

#include "hotkeys/ansi_text.h"

namespace varnoth {

namespace {

constexpr int kFirstKeyCode = 1;
constexpr int kLastKeyCode = 222;

// The Chinese names are code page 936 bytes; each line's comment gives the
// code and, for those, the name's UTF-8 form.
constexpr std::string_view kKeyNameTable =
    "\r\n"  // 1
    "\r\n"  // 2
    "\r\n"  // 3
    "\r\n"  // 4
    "\r\n"  // 5
    "\r\n"  // 6
    "\r\n"  // 7
    "\xCD\xCB\xB8\xF1\xBC\xFC" "\r\n"  // 8 退格键
    "Tab\xBC\xFC" "\r\n"  // 9 Tab键
    "\r\n"  // 10
    "\r\n"  // 11
    "\r\n"  // 12
    "Enter\r\n"  // 13
    "\r\n"  // 14
    "\r\n"  // 15
    "\r\n"  // 16
    "\r\n"  // 17
    "\r\n"  // 18
    "Pause Break\r\n"  // 19
    "Caps Lock\r\n"  // 20
    "\r\n"  // 21
    "\r\n"  // 22
    "\r\n"  // 23
    "\r\n"  // 24
    "\r\n"  // 25
    "\r\n"  // 26
    "ESC\r\n"  // 27
    "\r\n"  // 28
    "\r\n"  // 29
    "\r\n"  // 30
    "\r\n"  // 31
    "\xBF\xD5\xB8\xF1\xBC\xFC" "\r\n"  // 32 空格键
    "Page Up\r\n"  // 33
    "Page Down\r\n"  // 34
    "End\r\n"  // 35
    "Home\r\n"  // 36
    "\xCF\xF2\xD7\xF3" "\r\n"  // 37 向左
    "\xCF\xF2\xC9\xCF" "\r\n"  // 38 向上
    "\xCF\xF2\xD3\xD2" "\r\n"  // 39 向右
    "\xCF\xF2\xCF\xC2" "\r\n"  // 40 向下
    "\r\n"  // 41
    "\r\n"  // 42
    "\r\n"  // 43
    "\r\n"  // 44
    "Insert\r\n"  // 45
    "Delete\r\n"  // 46
    "\r\n"  // 47
    "0\r\n"  // 48
    "1\r\n"  // 49
    "2\r\n"  // 50
    "3\r\n"  // 51
    "4\r\n"  // 52
    "5\r\n"  // 53
    "6\r\n"  // 54
    "7\r\n"  // 55
    "8\r\n"  // 56
    "9\r\n"  // 57
    "\r\n"  // 58
    "\r\n"  // 59
    "\r\n"  // 60
    "\r\n"  // 61
    "\r\n"  // 62
    "\r\n"  // 63
    "\r\n"  // 64
    "A\r\n"  // 65
    "B\r\n"  // 66
    "C\r\n"  // 67
    "D\r\n"  // 68
    "E\r\n"  // 69
    "F\r\n"  // 70
    "G\r\n"  // 71
    "H\r\n"  // 72
    "I\r\n"  // 73
    "J\r\n"  // 74
    "K\r\n"  // 75
    "L\r\n"  // 76
    "M\r\n"  // 77
    "N\r\n"  // 78
    "O\r\n"  // 79
    "P\r\n"  // 80
    "Q\r\n"  // 81
    "R\r\n"  // 82
    "S\r\n"  // 83
    "T\r\n"  // 84
    "U\r\n"  // 85
    "V\r\n"  // 86
    "W\r\n"  // 87
    "X\r\n"  // 88
    "Y\r\n"  // 89
    "Z\r\n"  // 90
    "\r\n"  // 91
    "\r\n"  // 92
    "\xD3\xD2\xBC\xFC\xB2\xCB\xB5\xA5\xBC\xFC" "\r\n"  // 93 右键菜单键
    "\r\n"  // 94
    "\r\n"  // 95
    "Num 0\r\n"  // 96
    "Num 1\r\n"  // 97
    "Num 2\r\n"  // 98
    "Num 3\r\n"  // 99
    "Num 4\r\n"  // 100
    "Num 5\r\n"  // 101
    "Num 6\r\n"  // 102
    "Num 7\r\n"  // 103
    "Num 8\r\n"  // 104
    "Num 9\r\n"  // 105
    "Num *\r\n"  // 106
    "Num +\r\n"  // 107
    "\r\n"  // 108
    "Num -\r\n"  // 109
    "Num Del\r\n"  // 110
    "Num /\r\n"  // 111
    "F1\r\n"  // 112
    "F2\r\n"  // 113
    "F3\r\n"  // 114
    "F4\r\n"  // 115
    "F5\r\n"  // 116
    "F6\r\n"  // 117
    "F7\r\n"  // 118
    "F8\r\n"  // 119
    "F9\r\n"  // 120
    "F10\r\n"  // 121
    "F11\r\n"  // 122
    "F12\r\n"  // 123
    "\r\n"  // 124
    "\r\n"  // 125
    "\r\n"  // 126
    "\r\n"  // 127
    "\r\n"  // 128
    "\r\n"  // 129
    "\r\n"  // 130
    "\r\n"  // 131
    "\r\n"  // 132
    "\r\n"  // 133
    "\r\n"  // 134
    "\r\n"  // 135
    "\r\n"  // 136
    "\r\n"  // 137
    "\r\n"  // 138
    "\r\n"  // 139
    "\r\n"  // 140
    "\r\n"  // 141
    "\r\n"  // 142
    "\r\n"  // 143
    "Num Lock\r\n"  // 144
    "Scroll Lock\r\n"  // 145
    "\r\n"  // 146
    "\r\n"  // 147
    "\r\n"  // 148
    "\r\n"  // 149
    "\r\n"  // 150
    "\r\n"  // 151
    "\r\n"  // 152
    "\r\n"  // 153
    "\r\n"  // 154
    "\r\n"  // 155
    "\r\n"  // 156
    "\r\n"  // 157
    "\r\n"  // 158
    "\r\n"  // 159
    "\r\n"  // 160
    "\r\n"  // 161
    "\r\n"  // 162
    "\r\n"  // 163
    "\r\n"  // 164
    "\r\n"  // 165
    "\r\n"  // 166
    "\r\n"  // 167
    "\r\n"  // 168
    "\r\n"  // 169
    "\r\n"  // 170
    "\r\n"  // 171
    "\r\n"  // 172
    "\r\n"  // 173
    "\r\n"  // 174
    "\r\n"  // 175
    "\r\n"  // 176
    "\r\n"  // 177
    "\r\n"  // 178
    "\r\n"  // 179
    "\r\n"  // 180
    "\r\n"  // 181
    "\r\n"  // 182
    "\r\n"  // 183
    "\r\n"  // 184
    "\r\n"  // 185
    ";\r\n"  // 186
    "=\r\n"  // 187
    ",\r\n"  // 188
    "-\r\n"  // 189
    ".\r\n"  // 190
    "/\r\n"  // 191
    "`\r\n"  // 192
    "\r\n"  // 193
    "\r\n"  // 194
    "\r\n"  // 195
    "\r\n"  // 196
    "\r\n"  // 197
    "\r\n"  // 198
    "\r\n"  // 199
    "\r\n"  // 200
    "\r\n"  // 201
    "\r\n"  // 202
    "\r\n"  // 203
    "\r\n"  // 204
    "\r\n"  // 205
    "\r\n"  // 206
    "\r\n"  // 207
    "\r\n"  // 208
    "\r\n"  // 209
    "\r\n"  // 210
    "\r\n"  // 211
    "\r\n"  // 212
    "\r\n"  // 213
    "\r\n"  // 214
    "\r\n"  // 215
    "\r\n"  // 216
    "\r\n"  // 217
    "\r\n"  // 218
    "[\r\n"  // 219
    "\\\r\n"  // 220
    "]\r\n"  // 221
    "'"  // 222
    ;

// kKeyNames[i] is line i of the table; index 0 is unused.
using KeyNames = std::array<std::string_view, kLastKeyCode + 1>;

constexpr KeyNames SplitKeyNameTable() {
    KeyNames names{};
    std::string_view rest = kKeyNameTable;
    for (int code = kFirstKeyCode; code <= kLastKeyCode; ++code) {
        const std::size_t end = rest.find("\r\n");
        names[static_cast<std::size_t>(code)] = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 2);
    }
    return names;
}

constexpr KeyNames kKeyNames = SplitKeyNameTable();

constexpr bool HasExactly222Lines() {
    std::size_t breaks = 0;
    for (std::size_t at = kKeyNameTable.find("\r\n"); at != std::string_view::npos;
         at = kKeyNameTable.find("\r\n", at + 2)) {
        ++breaks;
    }
    return breaks == kLastKeyCode - 1;
}
static_assert(HasExactly222Lines());
static_assert(kKeyNames[65] == "A" && kKeyNames[105] == "Num 9" && kKeyNames[222] == "'");

struct ModifierWord {
    std::string_view word;
    int bit;
};

// The order in which the display text names the modifiers.
constexpr std::array<ModifierWord, 4> kModifierWords{{
    {"Ctrl", 2},
    {"Alt", 1},
    {"Shift", 4},
    {"Win", 8},
}};

}  // namespace

std::string_view KeyNameTable() { return kKeyNameTable; }

std::string KeyNameOf(std::int32_t code) {
    if (code < kFirstKeyCode || code > kLastKeyCode) return {};
    return std::string(kKeyNames[static_cast<std::size_t>(code)]);
}

std::string ParseHotkeyText(std::string_view hotkeyText) {
    const std::string_view text = ansi::UpToZero(hotkeyText);

    int modifiers = 0;
    for (const ModifierWord& modifier : kModifierWords) {
        if (ansi::Contains(text, modifier.word)) modifiers += modifier.bit;
    }

    // Without modifier words the whole text names the key; with them, the part
    // after the last "+" does (the whole text when there is no "+").
    std::string_view keyPart = text;
    if (modifiers != 0) {
        const std::size_t plus = ansi::FindLast(text, "+");
        if (plus != std::string_view::npos) keyPart = text.substr(plus + 1);
    }
    keyPart = ansi::Trim(keyPart);

    // An empty key part names code 1, whose line is empty.
    for (int code = kFirstKeyCode; code <= kLastKeyCode; ++code) {
        if (kKeyNames[static_cast<std::size_t>(code)] == keyPart) {
            return std::to_string(modifiers) + "," + std::to_string(code);
        }
    }
    return "0,0";
}

std::string FormatHotkeyCode(std::string_view code, std::string_view fallback) {
    const std::vector<std::string_view> pieces = ansi::Split(ansi::UpToZero(code), ",");
    if (pieces.size() < 2) return std::string(ansi::UpToZero(fallback));

    const std::int32_t key = ansi::ReadNumber(pieces[1]);
    if (key < 1) return std::string(ansi::UpToZero(fallback));

    const std::int32_t modifiers = ansi::ReadNumber(pieces[0]);
    std::string display;
    for (const ModifierWord& modifier : kModifierWords) {
        if ((modifiers & modifier.bit) != 0) {
            display.append(modifier.word);
            display.append(" + ");
        }
    }
    display.append(KeyNameOf(key));
    return display;
}

}  // namespace varnoth
