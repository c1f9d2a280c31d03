// The byte-string rules the text forms are built on, with the double-byte
// cases where a byte-by-byte reading would go wrong.
#include "hotkeys/ansi_text.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace varnoth::ansi {
namespace {

using namespace std::string_view_literals;

struct FindCase {
    const char* label;
    std::string_view text;
    std::string_view word;
    std::size_t first;
    std::size_t last;
};

constexpr std::size_t kNone = std::string_view::npos;

class FindTest : public testing::TestWithParam<FindCase> {};

TEST_P(FindTest, FindsOnlyOnCharacterBoundaries) {
    const FindCase& c = GetParam();
    EXPECT_EQ(FindFirst(c.text, c.word), c.first);
    EXPECT_EQ(FindLast(c.text, c.word), c.last);
    EXPECT_EQ(Contains(c.text, c.word), c.first != kNone);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindTest,
    testing::Values(
        FindCase{"Plain", "Ctrl+Alt+A", "Alt", 5, 5},
        FindCase{"CaseCounts", "ctrl+alt", "Alt", kNone, kNone},
        FindCase{"InsideLongerWord", "Alternative", "Alt", 0, 0},
        FindCase{"FirstAndLast", "a+b+c", "+", 1, 3},
        // 0x81 0x41 is one character: its second byte is not an "A".
        FindCase{"SecondByteOfPairIsNoMatch", "\x81" "Alt", "Alt", kNone, kNone},
        FindCase{"AfterPair", "\x81" "AAlt", "Alt", 2, 2},
        FindCase{"PairThenWord", "\xBF\xEC" "Alt", "Alt", 2, 2},
        // A lead byte at the very end stands alone and can be searched for.
        FindCase{"LoneLeadByteAtEnd", "A\x81", "\x81", 1, 1},
        FindCase{"EmptyWord", "abc", "", kNone, kNone},
        FindCase{"EmptyText", "", "+", kNone, kNone}),
    [](const auto& param) { return std::string(param.param.label); });

struct TrimCase {
    const char* label;
    std::string_view text;
    std::string_view trimmed;
};

class TrimTest : public testing::TestWithParam<TrimCase> {};

TEST_P(TrimTest, RemovesBothBlanksFromBothEnds) {
    EXPECT_EQ(Trim(GetParam().text), GetParam().trimmed);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TrimTest,
    testing::Values(
        TrimCase{"Spaces", "  A  ", "A"},
        TrimCase{"FullWidthSpaces", "\xA1\xA1" "A\xA1\xA1", "A"},
        TrimCase{"Mixed", " \xA1\xA1 Num 9 \xA1\xA1 ", "Num 9"},
        TrimCase{"TabsAndBreaksStay", "\tA\r\n", "\tA\r\n"},
        TrimCase{"OnlyBlanks", " \xA1\xA1 ", ""},
        TrimCase{"Empty", "", ""},
        // B0 A1 is one character followed by a lone A1: no full-width space here.
        TrimCase{"TrailByteNotBlank", "X\xB0\xA1\xA1", "X\xB0\xA1\xA1"},
        TrimCase{"PairThenFullWidthSpace", "\xB0\xA1\xA1\xA1", "\xB0\xA1"},
        TrimCase{"SingleA1Stays", "\xA1", "\xA1"}),
    [](const auto& param) { return std::string(param.param.label); });

struct SplitCase {
    const char* label;
    std::string_view text;
    std::vector<std::string_view> pieces;
};

class SplitTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitTest, KeepsInnerAndLeadingEmptyPiecesOnly) {
    EXPECT_EQ(Split(GetParam().text, ","), GetParam().pieces);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitTest,
    testing::Values(SplitCase{"Two", "3,65", {"3", "65"}},
                    SplitCase{"Three", "2,65,1", {"2", "65", "1"}},
                    SplitCase{"TrailingSeparator", "2,", {"2"}},
                    SplitCase{"LeadingSeparator", ",65", {"", "65"}},
                    SplitCase{"InnerEmpty", "1,,2", {"1", "", "2"}},
                    SplitCase{"OnlySeparator", ",", {""}},
                    SplitCase{"TwoSeparators", ",,", {"", ""}},
                    SplitCase{"NoSeparator", "2", {"2"}},
                    SplitCase{"Empty", "", {}}),
    [](const auto& param) { return std::string(param.param.label); });

struct NumberCase {
    const char* label;
    std::string_view text;
    std::int32_t number;
    std::uint8_t byte;
};

class NumberTest : public testing::TestWithParam<NumberCase> {};

TEST_P(NumberTest, ReadsLikeAtoiAfterFullWidthToAscii) {
    EXPECT_EQ(ReadNumber(GetParam().text), GetParam().number);
    EXPECT_EQ(ReadByte(GetParam().text), GetParam().byte);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NumberTest,
    testing::Values(
        NumberCase{"Plain", "65", 65, 65},
        NumberCase{"LowEightBits", "300", 300, 44},
        NumberCase{"MinusOne", "-1", -1, 255},
        NumberCase{"PlusSign", "+7", 7, 7},
        NumberCase{"LeadingWhiteSpace", " \t\n12", 12, 12},
        NumberCase{"StopsAtOtherCharacter", "12abc", 12, 12},
        NumberCase{"NoDigits", "abc", 0, 0},
        NumberCase{"Empty", "", 0, 0},
        NumberCase{"SignOnly", "-", 0, 0},
        NumberCase{"TrailingBlankIgnored", "5 ", 5, 5},
        NumberCase{"FullWidthDigits", "\xA3\xB4\xA3\xB2", 42, 42},             // ４２
        NumberCase{"FullWidthMinus", "\xA3\xAD\xA3\xB1", -1, 255},             // －１
        NumberCase{"FullWidthSpaceIsWhiteSpace", "\xA1\xA1" "9", 9, 9},        // 　9
        NumberCase{"MixedWidths", "1\xA3\xB0" "5", 105, 105},                  // 1０5
        NumberCase{"OtherPairStops", "1\xBF\xEC" "2", 1, 1},                   // 1快2
        NumberCase{"WrapsModulo2To32", "4294967297", 1, 1},
        NumberCase{"ZeroByteEndsText", std::string_view("1\0" "2", 3), 1, 1}),
    [](const auto& param) { return std::string(param.param.label); });

TEST(FullWidthToAsciiTest, MapsFullWidthFormsAndKeepsOtherPairs) {
    EXPECT_EQ(FullWidthToAscii("\xA3\xA1\xA3\xFE"), "!~");
    EXPECT_EQ(FullWidthToAscii("\xA1\xA1\xA1\xAB\xA1\xEE\xA1\xEF"), " ~**");
    EXPECT_EQ(FullWidthToAscii("\xBF\xEC\xA3"), "\xBF\xEC\xA3");  // 快, then a lone lead byte
    EXPECT_EQ(FullWidthToAscii("\xA3\xA0"), "\xA3\xA0");           // below the full-width range
}

}  // namespace
}  // namespace varnoth::ansi
