#include "tiling/taskbar.h"

#include <gtest/gtest.h>

#include <optional>

#include "platform/simulated_desktop.h"

namespace varnoth {
namespace {

struct TaskbarCase {
    const char* name;
    std::optional<ScreenRect> taskbar;   // nullopt: the query fails
    std::uint32_t displayWidth, displayHeight;
    bool displayAnswers;
    int thickness;
};

class TaskbarThickness : public ::testing::TestWithParam<TaskbarCase> {};

TEST_P(TaskbarThickness, MeasuresAlongTheEdgeItSpans) {
    const TaskbarCase& c = GetParam();
    SimulatedDesktop desktop;
    desktop.SetTaskbarRect(c.taskbar);
    desktop.SetDisplays({{"\\\\.\\DISPLAY1", {32, c.displayWidth, c.displayHeight, 60}, c.displayAnswers},
                         {"\\\\.\\DISPLAY2", {32, 1920, 1080, 60}, true}});
    EXPECT_EQ(GetTaskbarThickness(desktop), c.thickness);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TaskbarThickness,
    ::testing::Values(
        TaskbarCase{"Bottom", ScreenRect{0, 1040, 1920, 1080}, 1920, 1080, true, 40},
        TaskbarCase{"Top", ScreenRect{0, 0, 1920, 40}, 1920, 1080, true, 40},
        TaskbarCase{"Left", ScreenRect{0, 0, 62, 1080}, 1920, 1080, true, 62},
        TaskbarCase{"Right", ScreenRect{1858, 0, 1920, 1080}, 1920, 1080, true, 62},
        TaskbarCase{"OnADisplayToTheLeft", ScreenRect{-1920, 1040, 0, 1080}, 1920, 1080, true, 0},
        TaskbarCase{"LargerScreenThanDeviceZero", ScreenRect{0, 1400, 2560, 1440}, 1920, 1080, true, 0},
        TaskbarCase{"SecondDisplayBelow", ScreenRect{0, 2120, 1920, 2160}, 1920, 1080, true, 40},
        TaskbarCase{"WholeScreenIsMeasuredByHeight", ScreenRect{0, 0, 1920, 1080}, 1920, 1080, true, 1080},
        TaskbarCase{"WineStubBottomRow", ScreenRect{0, 1079, 1920, 1080}, 1920, 1080, true, 1},
        TaskbarCase{"FailedTaskbarQuery", std::nullopt, 1920, 1080, true, 0},
        TaskbarCase{"FailedDisplayQuery", ScreenRect{0, 1040, 1920, 1080}, 1920, 1080, false, 0},
        TaskbarCase{"FailedDisplayQueryZeroWidthBar", ScreenRect{0, 1040, 0, 1080}, 1920, 1080, false, 40},
        TaskbarCase{"FailedDisplayQueryZeroHeightBar", ScreenRect{5, 0, 70, 0}, 1920, 1080, false, 65},
        // Extreme rectangles must give a number, not overflow.
        TaskbarCase{"HugeRectangle", ScreenRect{0, INT32_MIN, 1920, INT32_MAX}, 1920, 1080, true, 0}),
    [](const auto& tc) { return std::string(tc.param.name); });

TEST(DisplayMode, ReadsTheLowSixteenBitsOfTheCurrentMode) {
    SimulatedDesktop desktop;
    desktop.SetDisplays({{"\\\\.\\DISPLAY1", {32, 1920, 1080, 60}, true},
                         {"\\\\.\\DISPLAY2", {24, 65536 + 2560, 1440, 144}, true}});
    const DisplayMode second = GetDisplayMode(desktop, 1);
    EXPECT_EQ(second.bitsPerPixel, 24);
    EXPECT_EQ(second.width, 2560);
    EXPECT_EQ(second.height, 1440);
    EXPECT_EQ(second.frequency, 144);
}

TEST(DisplayMode, MissingDeviceGivesZeros) {
    SimulatedDesktop desktop;
    for (int device : {2, 99, -1}) {
        const DisplayMode mode = GetDisplayMode(desktop, device);
        EXPECT_EQ(mode.bitsPerPixel + mode.width + mode.height + mode.frequency, 0) << device;
    }
    desktop.SetDisplays({{"\\\\.\\DISPLAY1", {32, 1920, 1080, 60}, false}});
    EXPECT_EQ(GetDisplayMode(desktop, 0).width, 0);
}

}  // namespace
}  // namespace varnoth
