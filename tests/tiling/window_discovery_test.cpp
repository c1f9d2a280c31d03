#include "tiling/window_discovery.h"

#include <gtest/gtest.h>

#include "platform/simulated_desktop.h"

namespace varnoth {
namespace {

class WindowDiscovery : public ::testing::Test {
protected:
    int Find(std::string filter, HandleList& out) {
        return FindWindowsByClass(desktop, desktop.GetDesktopWindow(), out, filter);
    }
    HandleList Find(std::string filter) {
        HandleList out;
        Find(std::move(filter), out);
        return out;
    }
    SimulatedDesktop desktop;
};

TEST_F(WindowDiscovery, FindsDescendantsOfTheClassInEnumerationOrder) {
    const WindowHandle first = desktop.AddWindow("Chrome_WidgetWin_1", "first");
    const WindowHandle child = desktop.AddWindow("Chrome_WidgetWin_1", "", first);
    desktop.AddWindow("Notepad", "notes", first);
    const WindowHandle second = desktop.AddWindow("Chrome_WidgetWin_1", "second");
    const WindowHandle grandchild = desktop.AddWindow("Chrome_WidgetWin_1", "deep",
                                                      desktop.AddWindow("Frame", "", second));
    desktop.AddWindow("Shell_TrayWnd", "");

    // The newest top-level window is enumerated first, each followed by its
    // descendants.
    HandleList found;
    EXPECT_EQ(Find("Chrome_WidgetWin_1", found), 4);
    EXPECT_EQ(found, (HandleList{second, grandchild, first, child}));
    EXPECT_EQ(CollectTitledWindows(desktop, found), (HandleList{second, grandchild, first}));
    EXPECT_EQ(CountBrowserWindows(desktop), 3);
}

struct FilterCase {
    const char* name;
    std::string className;
    std::string filter;
    bool matches;
    std::string filterAfter;  // what the caller's filter holds afterwards
};

class FilterMatching : public WindowDiscovery, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(FilterMatching, DecidesWhichClassesAreKept) {
    const FilterCase& c = GetParam();
    const WindowHandle window = desktop.AddWindow(c.className, "title");
    std::string filter = c.filter;
    HandleList found;
    FindWindowsByClass(desktop, desktop.GetDesktopWindow(), found, filter);
    EXPECT_EQ(found, c.matches ? HandleList{window} : HandleList{});
    EXPECT_EQ(filter, c.filterAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FilterMatching,
    ::testing::Values(
        FilterCase{"ExactName", "Chrome_WidgetWin_1", "Chrome_WidgetWin_1", true, "Chrome_WidgetWin_1"},
        FilterCase{"LetterCaseIgnored", "CHROME_widgetwin_1", "Chrome_WidgetWin_1", true, "Chrome_WidgetWin_1"},
        FilterCase{"OtherClass", "Chrome_WidgetWin_0", "Chrome_WidgetWin_1", false, "Chrome_WidgetWin_1"},
        FilterCase{"PrefixIsNotEnough", "Chrome_WidgetWin_1x", "Chrome_WidgetWin_1", false, "Chrome_WidgetWin_1"},
        FilterCase{"SpacesOnlyMeanNoFilter", "Anything", "   ", true, ""},
        FilterCase{"FullWidthSpacesMeanNoFilter", "Anything", " \xA1\xA1 \xA1\xA1", true, ""},
        FilterCase{"EmptyMeansNoFilter", "Anything", "", true, ""},
        FilterCase{"TabIsNotBlank", "Anything", "\t", false, "\t"},
        FilterCase{"SurroundingSpacesAreCompared", "Chrome_WidgetWin_1", " Chrome_WidgetWin_1 ", false, " Chrome_WidgetWin_1 "},
        FilterCase{"SurroundingSpacesMatchTheSameSpaces", " Chrome_WidgetWin_1 ", " chrome_widgetwin_1 ", true, " chrome_widgetwin_1 "},
        // 0xB0 0xA1 is one character: its trail byte and the lone 0xA1 after
        // it are no full-width space.
        FilterCase{"TrailByteIsNoBlank", "Anything", "\xB0\xA1\xA1", false, "\xB0\xA1\xA1"},
        // The second byte of a double-byte character is no capital letter.
        FilterCase{"TrailByteKeepsItsCase", "\x81\x61", "\x81\x41", false, "\x81\x41"},
        FilterCase{"DoubleByteClassMatchesItself", "\xC0\xE0Win", "\xC0\xE0WIN", true, "\xC0\xE0WIN"}),
    [](const auto& tc) { return std::string(tc.param.name); });

TEST_F(WindowDiscovery, ClassNameIsCutTo49Bytes) {
    const std::string longName(60, 'c');
    const WindowHandle window = desktop.AddWindow(longName, "t");
    EXPECT_EQ(GetWindowClassText(desktop, window), std::string(49, 'c'));
    EXPECT_EQ(Find(longName), HandleList{});
    EXPECT_EQ(Find(std::string(49, 'C')), HandleList{window});
}

TEST_F(WindowDiscovery, FailedClassQueryReadsAsFiftySpaces) {
    const WindowHandle window = desktop.AddWindow("Chrome_WidgetWin_1", "t");
    desktop.SetFailing(DesktopCall::GetClassNameA, true, window);
    EXPECT_EQ(GetWindowClassText(desktop, window), std::string(50, ' '));
    EXPECT_EQ(Find("Chrome_WidgetWin_1"), HandleList{});
    EXPECT_EQ(Find(" "), HandleList{window});
}

TEST(WindowDiscoveryGrowth, KeepsEveryHandleInOrderPastTheFirstHundred) {
    for (int total : {100, 101, 201, 1000}) {
        SimulatedDesktop desktop;
        HandleList expected;
        for (int i = 0; i < total; ++i) {
            expected.insert(expected.begin(), desktop.AddWindow("Chrome_WidgetWin_1", ""));
            desktop.AddWindow("Other", "t");
        }
        HandleList found;
        std::string filter = "Chrome_WidgetWin_1";
        EXPECT_EQ(FindWindowsByClass(desktop, desktop.GetDesktopWindow(), found, filter), total);
        EXPECT_EQ(found, expected) << total << " windows";
    }
}

TEST_F(WindowDiscovery, ReplacesWhatTheResultListHeld) {
    const WindowHandle window = desktop.AddWindow("Chrome_WidgetWin_1", "t");
    HandleList found{1, 2, 3};
    EXPECT_EQ(Find("Chrome_WidgetWin_1", found), 1);
    EXPECT_EQ(found, HandleList{window});
    EXPECT_EQ(Find("Nothing", found), 0);
    EXPECT_TRUE(found.empty());
}

TEST_F(WindowDiscovery, AskForTitlesOnlyOfWindowsOfTheClass) {
    desktop.AddWindow("Chrome_WidgetWin_1", "browser");
    desktop.AddWindow("Other", "not a browser");
    desktop.AddWindow("Other", "not a browser either");
    desktop.ClearCalls();
    EXPECT_EQ(CountBrowserWindows(desktop), 1);
    EXPECT_EQ(desktop.CountOf(DesktopCall::GetClassNameA), 3);
    EXPECT_EQ(desktop.CountOf(DesktopCall::GetWindowTextA), 1);
}

TEST_F(WindowDiscovery, NothingOfTheClassCountsZero) {
    desktop.AddWindow("Other", "t");
    HandleList found;
    EXPECT_EQ(Find("Chrome_WidgetWin_1", found), 0);
    EXPECT_EQ(CountBrowserWindows(desktop), 0);
}

TEST_F(WindowDiscovery, TitleTextsAreReadWhole) {
    const std::string chinese = "\xD0\xC2\xB1\xEA\xC7\xA9\xD2\xB3";  // a Chinese title in code page 936
    const WindowHandle titled = desktop.AddWindow("Chrome_WidgetWin_1", chinese);
    const WindowHandle blank = desktop.AddWindow("Chrome_WidgetWin_1", " ");
    EXPECT_EQ(GetWindowTitleText(desktop, titled), chinese);
    // A title of one space is a title: only the empty text is none.
    EXPECT_EQ(CollectTitledWindows(desktop, {titled, blank}), (HandleList{titled, blank}));
}

TEST_F(WindowDiscovery, WindowWhoseTitleCannotBeReadIsNotCounted) {
    const WindowHandle vanishing = desktop.AddWindow("Chrome_WidgetWin_1", "closing");
    const WindowHandle staying = desktop.AddWindow("Chrome_WidgetWin_1", "open");
    // The window goes away between the length query and the text query.
    desktop.SetFailing(DesktopCall::GetWindowTextA, true, vanishing);
    EXPECT_EQ(GetWindowTitleText(desktop, vanishing), "");
    EXPECT_EQ(CollectTitledWindows(desktop, {vanishing, staying}), HandleList{staying});
}

}  // namespace
}  // namespace varnoth
