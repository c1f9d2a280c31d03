// The tile command end to end: varnoth.exe and browser windows of another
// process (fake_browser.exe) on one desktop, driven by real clicks and keys.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "tests/e2e/e2e_support.h"
#include "tests/helpers/fake_browser_driver.h"

namespace varnoth::e2e {
namespace {

using varnoth::testing::FakeBrowserProcess;

constexpr wchar_t kNotRunYet[] = L"当前尚未运行";
constexpr wchar_t kTiled[] = L"平铺窗口，执行完毕！";
constexpr wchar_t kHotkeyTaken[] = L"快捷键被占用，请点击按钮平铺！";

// Two titled browsers away from where tiling puts them.
const std::vector<std::wstring> kTwoBrowsers = {
    L"id=a,rect=300:200:500:400,title=新标签页 - Chrome",
    L"id=b,rect=420:260:600:380,title=Example & Co - Edge",
};

RECT Rect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

// Outer rectangles as (x, y, width, height); the half widths are computed in
// double precision and truncated toward zero.
void ExpectTiledPair(std::pair<HWND, HWND> leftAndRight) {
    const auto [a, b] = leftAndRight;
    const int sw = GetSystemMetrics(SM_CXSCREEN);
    const int sh = GetSystemMetrics(SM_CYSCREEN);
    const int width = static_cast<int>(sw / 2.0 + 16);
    const int height = sh - kWineTaskbarThickness;
    const int bx = static_cast<int>(sw / 2.0 - 8);
    const RECT expectedA{-8, 0, -8 + width, height};
    const RECT expectedB{bx, 0, bx + width, height};
    for (const auto& [name, window, expected] :
         {std::tuple{"A", a, expectedA}, std::tuple{"B", b, expectedB}}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(IsIconic(window));
        EXPECT_FALSE(IsZoomed(window));
        const RECT actual = Rect(window);
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.top, expected.top);
        EXPECT_EQ(actual.right, expected.right);
        EXPECT_EQ(actual.bottom, expected.bottom);
    }
}

TEST(TileE2E, StartUpCountsOnlyTitledBrowsers) {
    FakeBrowserProcess browsers;
    ASSERT_TRUE(browsers.Start({L"id=a,title=One", L"id=b,title=Two", L"id=c,title=Three",
                                L"id=untitled"}));
    VarnothSession varnoth;
    ASSERT_TRUE(varnoth.Start());
    EXPECT_EQ(ReadText(varnoth.Controls().countLabel), L"3");
    EXPECT_EQ(ReadText(varnoth.Controls().statusLabel), kNotRunYet);
}

TEST(TileE2E, MouseClickOnTheButtonTilesTwoBrowsersAndMinimises) {
    FakeBrowserProcess browsers;
    ASSERT_TRUE(browsers.Start(kTwoBrowsers));
    VarnothSession varnoth;
    ASSERT_TRUE(varnoth.Start());
    EXPECT_EQ(ReadText(varnoth.Controls().countLabel), L"2");
    ASSERT_TRUE(BringToForeground(varnoth.Window()));
    SaveScreenshot(L"before-tiling");

    const auto order = InEnumerationOrder(browsers.Hwnd("a"), browsers.Hwnd("b"));
    ClickCentreOf(varnoth.Controls().tileButton);

    ASSERT_TRUE(varnoth.WaitForText(varnoth.Controls().statusLabel, kTiled))
        << Utf8(ReadText(varnoth.Controls().statusLabel));
    EXPECT_EQ(ReadText(varnoth.Controls().countLabel), L"2");
    ExpectTiledPair(order);
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(varnoth.Window()) != FALSE; }));
    Sleep(300);
    SaveScreenshot(L"after-tiling");
}

TEST(TileE2E, HotkeyPressedInAnotherProgramTiles) {
    FakeBrowserProcess browsers;
    ASSERT_TRUE(browsers.Start(kTwoBrowsers));
    VarnothSession varnoth;
    ASSERT_TRUE(varnoth.Start());
    ASSERT_TRUE(BringToForeground(browsers.Hwnd("b")));

    const auto order = InEnumerationOrder(browsers.Hwnd("a"), browsers.Hwnd("b"));
    PressAltNumpad9();

    ASSERT_TRUE(varnoth.WaitForText(varnoth.Controls().statusLabel, kTiled))
        << Utf8(ReadText(varnoth.Controls().statusLabel));
    EXPECT_EQ(ReadText(varnoth.Controls().countLabel), L"2");
    ExpectTiledPair(order);
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(varnoth.Window()) != FALSE; }));
}

TEST(TileE2E, MaximisedBrowserIsRestoredAndPlaced) {
    FakeBrowserProcess browsers;
    ASSERT_TRUE(browsers.Start({L"id=a,state=max,title=Maximised", L"id=b,title=Normal"}));
    ASSERT_TRUE(IsZoomed(browsers.Hwnd("a")));
    VarnothSession varnoth;
    ASSERT_TRUE(varnoth.Start());
    ASSERT_TRUE(BringToForeground(varnoth.Window()));

    const auto order = InEnumerationOrder(browsers.Hwnd("a"), browsers.Hwnd("b"));
    ClickCentreOf(varnoth.Controls().tileButton);

    ASSERT_TRUE(varnoth.WaitForText(varnoth.Controls().statusLabel, kTiled));
    ExpectTiledPair(order);
}

struct UntiledCase {
    const char* name;
    std::vector<std::wstring> windows;
    const wchar_t* status;
    const wchar_t* count;
};

class TileOutcomeE2E : public ::testing::TestWithParam<UntiledCase> {};

TEST_P(TileOutcomeE2E, ShowsStatusAndCountAndMovesNothing) {
    const UntiledCase& outcome = GetParam();
    FakeBrowserProcess browsers;
    ASSERT_TRUE(browsers.Start(outcome.windows));
    VarnothSession varnoth;
    ASSERT_TRUE(varnoth.Start());
    std::vector<RECT> before;
    for (const auto& window : browsers.Windows()) before.push_back(Rect(window.hwnd));
    ASSERT_TRUE(BringToForeground(varnoth.Window()));

    ClickCentreOf(varnoth.Controls().tileButton);

    EXPECT_TRUE(varnoth.WaitForText(varnoth.Controls().statusLabel, outcome.status))
        << Utf8(ReadText(varnoth.Controls().statusLabel));
    EXPECT_EQ(ReadText(varnoth.Controls().countLabel), outcome.count);
    EXPECT_FALSE(IsIconic(varnoth.Window()));
    for (std::size_t i = 0; i < before.size(); ++i) {
        const RECT after = Rect(browsers.Windows()[i].hwnd);
        EXPECT_TRUE(EqualRect(&after, &before[i])) << browsers.Windows()[i].name << " moved";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, TileOutcomeE2E,
    ::testing::Values(
        UntiledCase{"NoWindowOfTheClass",
                    {L"id=other,rect=100:100:300:200,class=Chrome_WidgetWin_0,title=Not a browser"},
                    L"查找窗口句柄失败，请重试！", L"0"},
        UntiledCase{"OnlyUntitledWindows",
                    {L"id=a,rect=100:100:300:200", L"id=b,rect=200:150:300:200"},
                    L"当前没有打开Chrome内核的浏览器，请打开后重试！", L"0"},
        UntiledCase{"OneTitledWindow",
                    {L"id=a,rect=100:100:300:200,title=Only", L"id=untitled"},
                    L"当前只有1个浏览器，默认不更改！", L"1"},
        UntiledCase{"ThreeTitledWindows",
                    {L"id=a,rect=100:100:300:200,title=One",
                     L"id=b,rect=150:120:300:200,title=Two",
                     L"id=c,rect=200:140:300:200,title=Three"},
                    L"当前有3个浏览器，只支持平铺2个，默认不更改！", L"3"}),
    [](const ::testing::TestParamInfo<UntiledCase>& param) { return std::string(param.param.name); });

TEST(TileE2E, HotkeyHeldByAnotherProgramIsReportedAndTheButtonStillTiles) {
    FakeBrowserProcess browsers;
    ASSERT_TRUE(browsers.Start(kTwoBrowsers));
    ASSERT_TRUE(browsers.Command("hotkey 1 105"));
    ASSERT_TRUE(browsers.WaitForLine("hotkey 1 105 registered", kWaitMs));
    VarnothSession varnoth;
    ASSERT_TRUE(varnoth.Start());
    EXPECT_EQ(ReadText(varnoth.Controls().statusLabel), kHotkeyTaken);
    ASSERT_TRUE(BringToForeground(varnoth.Window()));

    const auto order = InEnumerationOrder(browsers.Hwnd("a"), browsers.Hwnd("b"));
    ClickCentreOf(varnoth.Controls().tileButton);

    ASSERT_TRUE(varnoth.WaitForText(varnoth.Controls().statusLabel, kTiled));
    ExpectTiledPair(order);
}

}  // namespace
}  // namespace varnoth::e2e
