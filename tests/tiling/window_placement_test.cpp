#include "tiling/window_placement.h"

#include <gtest/gtest.h>

#include "platform/simulated_desktop.h"

namespace varnoth {
namespace {

struct PlacementCase {
    const char* name;
    std::optional<int> x, y, width, height;
    ScreenRect expected;
};

class MovePartly : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(MovePartly, KeepsTheValuesNotGiven) {
    const PlacementCase& c = GetParam();
    SimulatedDesktop desktop;
    SimulatedDesktop::NewWindow shape;
    shape.className = "Chrome_WidgetWin_1";
    shape.rect = {100, 50, 900, 650};
    const WindowHandle window = desktop.AddWindow(shape);
    EXPECT_TRUE(MoveWindowPartly(desktop, window, c.x, c.y, c.width, c.height));
    EXPECT_EQ(desktop.RectOf(window), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MovePartly,
    ::testing::Values(
        PlacementCase{"AllFour", -8, 0, 976, 1040, {-8, 0, 968, 1040}},
        PlacementCase{"OnlyX", 300, {}, {}, {}, {300, 50, 1100, 650}},
        PlacementCase{"OnlyHeight", {}, {}, {}, 10, {100, 50, 900, 60}},
        PlacementCase{"NoneGiven", {}, {}, {}, {}, {100, 50, 900, 650}}),
    [](const auto& tc) { return std::string(tc.param.name); });

TEST(MovePartlyFailures, UnreadableWindowTakesZerosForWhatIsNotGiven) {
    SimulatedDesktop desktop;
    const WindowHandle window = desktop.AddWindow("Chrome_WidgetWin_1", "t");
    desktop.SetFailing(DesktopCall::GetWindowRect, true, window);
    EXPECT_TRUE(MoveWindowPartly(desktop, window, 20, {}, 300, {}));
    EXPECT_EQ(desktop.RectOf(window), (ScreenRect{20, 0, 320, 0}));
}

TEST(MovePartlyFailures, RefusedMoveIsReportedAndNotRetried) {
    SimulatedDesktop desktop;
    const WindowHandle window = desktop.AddWindow("Chrome_WidgetWin_1", "t");
    desktop.SetFailing(DesktopCall::MoveWindow, true, window);
    EXPECT_FALSE(MoveWindowPartly(desktop, window, 1, 2, 3, 4));
    EXPECT_EQ(desktop.CountOf(DesktopCall::MoveWindow), 1);
    EXPECT_FALSE(MoveWindowPartly(desktop, 0xDEAD, 1, 2, 3, 4));
}

TEST(MovePartlyFailures, ReadsTheRectangleBeforeMoving) {
    SimulatedDesktop desktop;
    const WindowHandle window = desktop.AddWindow("Chrome_WidgetWin_1", "t");
    desktop.ClearCalls();
    MoveWindowPartly(desktop, window, 1, 2, 3, 4);
    EXPECT_EQ(desktop.CallsOn(window),
              (std::vector<DesktopCall>{DesktopCall::GetWindowRect, DesktopCall::MoveWindow}));
}

}  // namespace
}  // namespace varnoth
