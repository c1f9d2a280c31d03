// The key-name table and the conversions between hotkey text, code text and
// display text.
#include "hotkeys/hotkey_text.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace varnoth {
namespace {

using namespace std::string_view_literals;

// The names as a reader would list them, built independently of the table's
// own text: digits, letters, keypad and function keys by range, the rest one by one.
std::map<int, std::string> ExpectedKeyNames() {
    std::map<int, std::string> names{
        {8, "\xCD\xCB\xB8\xF1\xBC\xFC"},                  // 退格键
        {9, "Tab\xBC\xFC"},                               // Tab键
        {13, "Enter"},
        {19, "Pause Break"},
        {20, "Caps Lock"},
        {27, "ESC"},
        {32, "\xBF\xD5\xB8\xF1\xBC\xFC"},                 // 空格键
        {33, "Page Up"},
        {34, "Page Down"},
        {35, "End"},
        {36, "Home"},
        {37, "\xCF\xF2\xD7\xF3"},                         // 向左
        {38, "\xCF\xF2\xC9\xCF"},                         // 向上
        {39, "\xCF\xF2\xD3\xD2"},                         // 向右
        {40, "\xCF\xF2\xCF\xC2"},                         // 向下
        {45, "Insert"},
        {46, "Delete"},
        {93, "\xD3\xD2\xBC\xFC\xB2\xCB\xB5\xA5\xBC\xFC"}, // 右键菜单键
        {106, "Num *"},
        {107, "Num +"},
        {109, "Num -"},
        {110, "Num Del"},
        {111, "Num /"},
        {144, "Num Lock"},
        {145, "Scroll Lock"},
        {186, ";"}, {187, "="}, {188, ","}, {189, "-"}, {190, "."}, {191, "/"},
        {192, "`"},
        {219, "["}, {220, "\\"}, {221, "]"},
        {222, "'"},
    };
    for (int i = 0; i < 10; ++i) {
        names[48 + i] = std::to_string(i);
        names[96 + i] = std::string("Num ").append(std::to_string(i));
    }
    for (int i = 0; i < 26; ++i) names[65 + i] = std::string(1, static_cast<char>('A' + i));
    for (int i = 0; i < 12; ++i) names[112 + i] = std::string("F").append(std::to_string(i + 1));
    return names;
}

TEST(KeyNameTableTest, Has222CrLfSeparatedLinesNamingEachCode) {
    const std::string_view table = KeyNameTable();
    std::vector<std::string_view> lines;
    for (std::size_t start = 0;;) {
        const std::size_t end = table.find("\r\n", start);
        lines.push_back(table.substr(start, end - start));
        if (end == std::string_view::npos) break;
        start = end + 2;
    }
    ASSERT_EQ(lines.size(), 222u);
    EXPECT_NE(table.substr(table.size() - 2), "\r\n");
    EXPECT_EQ(table.find('\0'), std::string_view::npos);

    const std::map<int, std::string> expected = ExpectedKeyNames();
    for (int code = 1; code <= 222; ++code) {
        const auto named = expected.find(code);
        const std::string name = named == expected.end() ? "" : named->second;
        EXPECT_EQ(lines[static_cast<std::size_t>(code - 1)], name) << "line " << code;
        EXPECT_EQ(KeyNameOf(code), name) << "code " << code;
    }
}

TEST(KeyNameOfTest, CodesOutsideTheTableHaveTheEmptyName) {
    for (const std::int32_t code : {0, -1, 223, 255, 256, 100000}) {
        EXPECT_EQ(KeyNameOf(code), "") << code;
    }
}

struct ParseCase {
    const char* label;
    std::string_view hotkeyText;
    std::string_view code;
};

class ParseHotkeyTextTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseHotkeyTextTest, GivesTheCodeText) {
    EXPECT_EQ(ParseHotkeyText(GetParam().hotkeyText), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseHotkeyTextTest,
    testing::Values(
        ParseCase{"CtrlAltA", "Ctrl+Alt+A", "3,65"},
        ParseCase{"CtrlAltASpaced", "Ctrl + Alt + A", "3,65"},
        ParseCase{"AltNum9", "Alt+Num 9", "1,105"},
        ParseCase{"F5", "F5", "0,116"},
        ParseCase{"NumPlusWithoutModifiers", "Num +", "0,107"},
        ParseCase{"LetterCaseCounts", "ctrl+a", "0,0"},
        ParseCase{"ModifierInsideLongerWord", "Alternative+A", "1,65"},
        ParseCase{"EmptyKeyPartIsLineOne", "Ctrl+", "2,1"},
        ParseCase{"KeyPartAfterLastPlus", "Ctrl+Num +", "2,1"},
        ParseCase{"EmptyText", "", "0,1"},
        ParseCase{"ModifiersWithoutPlus", "Ctrl A", "0,0"},
        ParseCase{"UnknownKeyDropsModifiers", "Ctrl+Q1", "0,0"},
        ParseCase{"AllFourModifiers", "Win+Shift+Ctrl+Alt+Delete", "15,46"},
        ParseCase{"WordOrderDoesNotMatter", "Shift+Ctrl+Z", "6,90"},
        ParseCase{"FullWidthSpacesTrimmed", "Alt+\xA1\xA1" "F12\xA1\xA1", "1,123"},
        ParseCase{"ChineseKeyName", "Shift+\xBF\xD5\xB8\xF1\xBC\xFC", "4,32"},  // Shift+空格键
        ParseCase{"BlankOnlyTextIsLineOne", " \xA1\xA1 ", "0,1"},
        ParseCase{"TabIsNoBlank", "\tA", "0,0"},
        // 0x81 0x41 is one character: the "Alt" it seems to hold is not there.
        ParseCase{"ModifierWordOnSecondByte", "\x81" "Alt+A", "0,0"},
        ParseCase{"TextEndsAtZeroByte", std::string_view("Alt+B\0+C", 8), "1,66"},
        ParseCase{"ZeroByteFirst", std::string_view("\0Alt+B", 6), "0,1"},
        ParseCase{"EndsInsideDoubleByteCharacter", "Alt+A\xBF", "0,0"}),
    [](const auto& param) { return std::string(param.param.label); });

struct FormatCase {
    const char* label;
    std::string_view code;
    std::string_view fallback;
    std::string_view display;
};

class FormatHotkeyCodeTest : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatHotkeyCodeTest, GivesTheDisplayText) {
    EXPECT_EQ(FormatHotkeyCode(GetParam().code, GetParam().fallback), GetParam().display);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatHotkeyCodeTest,
    testing::Values(
        FormatCase{"CtrlAltA", "3,65", "", "Ctrl + Alt + A"},
        FormatCase{"AltNum9", "1,105", "", "Alt + Num 9"},
        FormatCase{"OnePieceIsFallback", "2", "none", "none"},
        FormatCase{"KeyZeroIsFallback", "2,0", "none", "none"},
        FormatCase{"NegativeKeyIsFallback", "2,-5", "none", "none"},
        FormatCase{"EmptyIsFallback", "", "none", "none"},
        FormatCase{"TrailingCommaIsOnePiece", "2,", "none", "none"},
        FormatCase{"OtherBitsIgnored", "16,65", "", "A"},
        FormatCase{"LineOneIsEmpty", "0,1", "", ""},
        FormatCase{"FixedModifierOrder", "15,46", "", "Ctrl + Alt + Shift + Win + Delete"},
        FormatCase{"ExtraPiecesIgnored", "4,112,9", "", "Shift + F1"},
        FormatCase{"KeyAboveTableHasNoName", "1,300", "", "Alt + "},
        FormatCase{"FullWidthDigits", "\xA3\xB2,\xA3\xB6\xA3\xB5", "", "Ctrl + A"},  // ２,６５
        FormatCase{"ChineseName", "0,38", "", "\xCF\xF2\xC9\xCF"},                  // 向上
        FormatCase{"FallbackEndsAtZeroByte", "", std::string_view("n\0x", 3), "n"},
        FormatCase{"CodeEndsAtZeroByte", std::string_view("1\0,65", 5), "none", "none"}),
    [](const auto& param) { return std::string(param.param.label); });

TEST(HotkeyTextRoundTripTest, EveryNamedKeyParsesBackToItsCode) {
    // Parsing the display text of a code gives the code back, for every
    // modifier combination and every key whose name is unique and not blank.
    for (int key = 2; key <= 222; ++key) {
        const std::string name = KeyNameOf(key);
        if (name.empty() || name == "Num +") continue;  // "+" would end the modifiers
        for (int modifiers = 1; modifiers <= 15; ++modifiers) {
            const std::string code = std::to_string(modifiers) + "," + std::to_string(key);
            EXPECT_EQ(ParseHotkeyText(FormatHotkeyCode(code, "")), code) << code;
        }
    }
}

}  // namespace
}  // namespace varnoth
