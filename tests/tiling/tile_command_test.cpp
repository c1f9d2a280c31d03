#include "tiling/tile_command.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>

#include "platform/simulated_desktop.h"

namespace varnoth {
namespace {

using C = DesktopCall;

ScreenRect At(int x, int y, int width, int height) { return {x, y, x + width, y + height}; }

class TileCommand : public ::testing::Test {
protected:
    TileCommand() { own = desktop.AddWindow("VarnothMainWindow", "Varnoth V0.2"); }

    WindowHandle AddBrowser(std::string title, WindowState state = WindowState::Normal,
                            bool restoresToMaximized = false) {
        SimulatedDesktop::NewWindow shape;
        shape.className = "Chrome_WidgetWin_1";
        shape.title = std::move(title);
        shape.rect = {200, 150, 1000, 750};
        shape.state = state;
        shape.restoresToMaximized = restoresToMaximized;
        return desktop.AddWindow(shape);
    }

    std::string Tile() {
        shownCount.reset();
        return TileBrowserWindows(desktop, own, [this](std::string_view text) {
            shownCount = std::string(text);
        });
    }

    SimulatedDesktop desktop;
    WindowHandle own = 0;
    std::optional<std::string> shownCount;
};

// Enumeration lists the newest window first: it goes to the left.
TEST_F(TileCommand, PlacesTwoWindowsSideBySideAndMinimisesItself) {
    const WindowHandle right = AddBrowser("right");
    const WindowHandle left = AddBrowser("left");
    EXPECT_EQ(Tile(), "平铺窗口，执行完毕！");
    EXPECT_EQ(shownCount, "2");
    EXPECT_EQ(desktop.RectOf(left), At(-8, 0, 976, 1040));
    EXPECT_EQ(desktop.RectOf(right), At(952, 0, 976, 1040));
    EXPECT_EQ(desktop.StateOf(own), WindowState::Minimized);
}

struct GeometryCase {
    const char* name;
    int screenWidth, screenHeight;
    std::optional<ScreenRect> taskbar;
    ScreenRect left, right;
};

class TileGeometry : public TileCommand, public ::testing::WithParamInterface<GeometryCase> {};

TEST_P(TileGeometry, HalvesTheScreenMinusTheTaskbar) {
    const GeometryCase& c = GetParam();
    desktop.SetScreenSize(c.screenWidth, c.screenHeight);
    desktop.SetTaskbarRect(c.taskbar);
    const WindowHandle right = AddBrowser("b");
    const WindowHandle left = AddBrowser("a");
    EXPECT_EQ(Tile(), "平铺窗口，执行完毕！");
    EXPECT_EQ(desktop.RectOf(left), c.left);
    EXPECT_EQ(desktop.RectOf(right), c.right);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TileGeometry,
    ::testing::Values(
        GeometryCase{"FullHdBottomTaskbar", 1920, 1080, ScreenRect{0, 1040, 1920, 1080}, At(-8, 0, 976, 1040), At(952, 0, 976, 1040)},
        // 1365 / 2 + 16 = 698.5 and 1365 / 2 - 8 = 674.5, both truncated.
        GeometryCase{"OddWidthTruncates", 1365, 768, ScreenRect{0, 728, 1365, 768}, At(-8, 0, 698, 728), At(674, 0, 698, 728)},
        GeometryCase{"TopTaskbar", 1920, 1080, ScreenRect{0, 0, 1920, 40}, At(-8, 0, 976, 1040), At(952, 0, 976, 1040)},
        GeometryCase{"LeftTaskbarTakesItsWidthOffTheHeight", 1920, 1080, ScreenRect{0, 0, 62, 1080}, At(-8, 0, 976, 1018), At(952, 0, 976, 1018)},
        GeometryCase{"TaskbarOnAnotherDisplay", 1920, 1080, ScreenRect{-1920, 1040, 0, 1080}, At(-8, 0, 976, 1080), At(952, 0, 976, 1080)},
        GeometryCase{"TaskbarOnADisplayBelow", 1920, 1080, ScreenRect{0, 2120, 1920, 2160}, At(-8, 0, 976, 1040), At(952, 0, 976, 1040)},
        GeometryCase{"NoTaskbar", 2560, 1440, std::nullopt, At(-8, 0, 1296, 1440), At(1272, 0, 1296, 1440)},
        GeometryCase{"WineTaskbarStub", 1920, 1080, ScreenRect{0, 1079, 1920, 1080}, At(-8, 0, 976, 1079), At(952, 0, 976, 1079)}),
    [](const auto& tc) { return std::string(tc.param.name); });

struct OutcomeCase {
    const char* name;
    int titled;
    int untitled;
    const char* status;
    const char* count;
};

class TileOutcome : public TileCommand, public ::testing::WithParamInterface<OutcomeCase> {};

TEST_P(TileOutcome, ReportsCountAndStatus) {
    const OutcomeCase& c = GetParam();
    std::vector<WindowHandle> browsers;
    for (int i = 0; i < c.untitled; ++i) browsers.push_back(AddBrowser(""));
    for (int i = 0; i < c.titled; ++i) browsers.push_back(AddBrowser("tab " + std::to_string(i)));
    const bool tiles = c.titled == 2;

    EXPECT_EQ(Tile(), c.status);
    EXPECT_EQ(shownCount, c.count);
    EXPECT_EQ(desktop.StateOf(own), tiles ? WindowState::Minimized : WindowState::Normal);
    if (!tiles) {
        for (WindowHandle browser : browsers) {
            EXPECT_EQ(desktop.RectOf(browser), (ScreenRect{200, 150, 1000, 750}));
            EXPECT_EQ(desktop.CountOf(C::MoveWindow), 0);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TileOutcome,
    ::testing::Values(
        // The count label must not keep an earlier run's number.
        OutcomeCase{"NoWindowOfTheClass", 0, 0, "查找窗口句柄失败，请重试！", "0"},
        OutcomeCase{"OnlyUntitledWindows", 0, 2, "当前没有打开Chrome内核的浏览器，请打开后重试！", "0"},
        OutcomeCase{"OneWindowIsLeftAlone", 1, 1, "当前只有1个浏览器，默认不更改！", "1"},
        OutcomeCase{"TwoAmongUntitledOnes", 2, 3, "平铺窗口，执行完毕！", "2"},
        // Which two of three the user wants is not ours to guess: nothing moves.
        OutcomeCase{"ThreeAreNotTiled", 3, 0, "当前有3个浏览器，只支持平铺2个，默认不更改！", "3"},
        OutcomeCase{"ManyAreNotTiled", 12, 1, "当前有12个浏览器，只支持平铺2个，默认不更改！", "12"}),
    [](const auto& tc) { return std::string(tc.param.name); });

TEST_F(TileCommand, UntitledWindowIsNeverMoved) {
    const WindowHandle untitled = AddBrowser("");
    const WindowHandle b = AddBrowser("b");
    const WindowHandle a = AddBrowser("a");
    desktop.AddWindow("Chrome_WidgetWin_1", "", a);  // a titled browser's untitled child
    Tile();
    EXPECT_EQ(desktop.RectOf(untitled), (ScreenRect{200, 150, 1000, 750}));
    EXPECT_EQ(desktop.RectOf(a), At(-8, 0, 976, 1040));
    EXPECT_EQ(desktop.RectOf(b), At(952, 0, 976, 1040));
}

TEST_F(TileCommand, MakesExactlyTheseCallsForTwoNormalWindows) {
    const WindowHandle b = AddBrowser("b");
    const WindowHandle a = AddBrowser("a");
    const WindowHandle root = desktop.GetDesktopWindow();
    desktop.ClearCalls();
    Tile();
    std::vector<std::pair<C, WindowHandle>> calls;
    for (const RecordedCall& call : desktop.Calls()) calls.emplace_back(call.call, call.window);
    const std::vector<std::pair<C, WindowHandle>> expected{
        {C::GetDesktopWindow, 0}, {C::EnumChildWindows, root},
        {C::GetClassNameA, a}, {C::GetClassNameA, b}, {C::GetClassNameA, own},
        {C::GetWindowTextLengthA, a}, {C::GetWindowTextA, a},
        {C::GetWindowTextLengthA, b}, {C::GetWindowTextA, b},
        {C::IsWindowResponding, a}, {C::IsIconic, a}, {C::IsZoomed, a},
        {C::GetSystemMetrics, 0}, {C::GetSystemMetrics, 0},
        {C::SHAppBarGetTaskbarPos, 0}, {C::EnumDisplayDevicesA, 0}, {C::EnumDisplaySettingsA, 0},
        {C::GetWindowRect, a}, {C::MoveWindow, a},
        {C::IsWindowResponding, b}, {C::IsIconic, b}, {C::IsZoomed, b},
        {C::GetSystemMetrics, 0}, {C::GetSystemMetrics, 0}, {C::GetSystemMetrics, 0},
        {C::SHAppBarGetTaskbarPos, 0}, {C::EnumDisplayDevicesA, 0}, {C::EnumDisplaySettingsA, 0},
        {C::GetWindowRect, b}, {C::MoveWindow, b},
        {C::CloseWindow, own}};
    ASSERT_EQ(calls.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(calls[i], expected[i]) << "call " << i << ": " << NameOf(calls[i].first);
    }
}

struct StateCase {
    const char* name;
    WindowState state;
    bool restoresToMaximized;
    std::vector<C> restoreCalls;  // what the window sees before it is moved
};

class TileFromState : public TileCommand, public ::testing::WithParamInterface<StateCase> {};

TEST_P(TileFromState, EndsNormalAtItsRectangle) {
    const StateCase& c = GetParam();
    const WindowHandle b = AddBrowser("b");
    const WindowHandle a = AddBrowser("a", c.state, c.restoresToMaximized);
    desktop.ClearCalls();
    EXPECT_EQ(Tile(), "平铺窗口，执行完毕！");
    EXPECT_EQ(desktop.StateOf(a), WindowState::Normal);
    EXPECT_EQ(desktop.RectOf(a), At(-8, 0, 976, 1040));
    EXPECT_EQ(desktop.RectOf(b), At(952, 0, 976, 1040));
    std::vector<C> seen = desktop.CallsOn(a);
    seen.erase(seen.begin(), seen.begin() + 3);  // class and title queries
    std::vector<C> expected{C::IsWindowResponding};
    expected.insert(expected.end(), c.restoreCalls.begin(), c.restoreCalls.end());
    expected.insert(expected.end(), {C::GetWindowRect, C::MoveWindow});
    EXPECT_EQ(seen, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TileFromState,
    ::testing::Values(
        StateCase{"Normal", WindowState::Normal, false, {C::IsIconic, C::IsZoomed}},
        StateCase{"Minimised", WindowState::Minimized, false, {C::IsIconic, C::OpenIcon, C::IsZoomed}},
        StateCase{"Maximised", WindowState::Maximized, false,
                  {C::IsIconic, C::IsZoomed, C::CloseWindow, C::OpenIcon, C::IsZoomed, C::ShowWindow}},
        StateCase{"MinimisedFromMaximised", WindowState::Minimized, true,
                  {C::IsIconic, C::OpenIcon, C::IsZoomed, C::CloseWindow, C::OpenIcon, C::IsZoomed,
                   C::ShowWindow}}),
    [](const auto& tc) { return std::string(tc.param.name); });

struct HungCase {
    const char* name;
    WindowState state;
    bool restoresToMaximized;
};

class TileWithHungWindow : public TileCommand, public ::testing::WithParamInterface<HungCase> {};

TEST_P(TileWithHungWindow, NeverBlocksAndPlacesItWhenItResumes) {
    const HungCase& c = GetParam();
    const WindowHandle b = AddBrowser("b");
    const WindowHandle a = AddBrowser("a", c.state, c.restoresToMaximized);
    desktop.SetResponding(a, false);

    EXPECT_EQ(Tile(), "平铺窗口，执行完毕！");
    EXPECT_EQ(desktop.BlockingCallsOnHungWindows(), 0);
    EXPECT_EQ(desktop.RectOf(b), At(952, 0, 976, 1040));
    EXPECT_EQ(desktop.StateOf(own), WindowState::Minimized);
    EXPECT_EQ(desktop.StateOf(a), c.state);  // nothing happens until it answers

    desktop.SetResponding(a, true);
    EXPECT_EQ(desktop.StateOf(a), WindowState::Normal);
    EXPECT_EQ(desktop.RectOf(a), At(-8, 0, 976, 1040));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TileWithHungWindow,
    ::testing::Values(HungCase{"Normal", WindowState::Normal, false},
                      HungCase{"Minimised", WindowState::Minimized, false},
                      HungCase{"Maximised", WindowState::Maximized, false},
                      HungCase{"MinimisedFromMaximised", WindowState::Minimized, true}),
    [](const auto& tc) { return std::string(tc.param.name); });

// A browser may close at any moment of a run: before its restore, between
// restore and move, between the two windows. Whatever call it vanishes
// before, the run ends in a status text and the other window is still placed.
TEST_F(TileCommand, WindowClosingAtAnyPointOfARunEndsInAStatus) {
    std::size_t callsInRun = 0;
    {
        SimulatedDesktop probe;
        probe.AddWindow("Chrome_WidgetWin_1", "b");
        probe.AddWindow("Chrome_WidgetWin_1", "a");
        TileBrowserWindows(probe, 0, {});
        callsInRun = probe.Calls().size();
    }
    for (int victim = 0; victim < 2; ++victim) {
        for (std::size_t at = 0; at < callsInRun; ++at) {
            SimulatedDesktop scene;
            const WindowHandle b = scene.AddWindow("Chrome_WidgetWin_1", "b");
            const WindowHandle a = scene.AddWindow("Chrome_WidgetWin_1", "a");
            const WindowHandle doomed = victim == 0 ? a : b;
            std::size_t seen = 0;
            scene.OnCall([&](const RecordedCall&) {
                if (seen++ == at) scene.RemoveWindow(doomed);
            });
            const std::string status = TileBrowserWindows(scene, 0, {});
            EXPECT_THAT(status, ::testing::AnyOf("平铺窗口，执行完毕！", "当前只有1个浏览器，默认不更改！"))
                << "closing window " << victim << " before call " << at;
            const WindowHandle survivor = victim == 0 ? b : a;
            if (status == "平铺窗口，执行完毕！") {
                EXPECT_EQ(scene.RectOf(survivor), survivor == a ? At(-8, 0, 976, 1040) : At(952, 0, 976, 1040))
                    << "closing window " << victim << " before call " << at;
            }
        }
    }
}

}  // namespace
}  // namespace varnoth
