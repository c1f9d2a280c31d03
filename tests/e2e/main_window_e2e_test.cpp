// The main window as another program sees it: place, frame, controls, texts,
// colours and keys.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/e2e/e2e_support.h"

namespace varnoth::e2e {
namespace {

constexpr wchar_t kNotRunYet[] = L"当前尚未运行";

TEST(MainWindowE2E, OpensCentredWithFixedFrameCaptionAndIcons) {
    VarnothSession varnoth;
    ASSERT_TRUE(varnoth.Start());
    const HWND window = varnoth.Window();

    EXPECT_EQ(ReadText(window), L"Varnoth V0.2");
    RECT rect{};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - 351) / 2);
    EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - 235) / 2);
    EXPECT_EQ(rect.right - rect.left, 351);
    EXPECT_EQ(rect.bottom - rect.top, 235);

    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
    EXPECT_NE(style & WS_SYSMENU, 0u);
    EXPECT_NE(style & WS_MINIMIZEBOX, 0u);
    EXPECT_EQ(style & WS_MAXIMIZEBOX, 0u) << "no maximise button";
    EXPECT_EQ(style & WS_THICKFRAME, 0u) << "the frame is fixed";
    EXPECT_EQ(style & WS_CHILD, 0u);
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    EXPECT_EQ(exStyle & WS_EX_TOPMOST, 0u);
    EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr) << "its own taskbar button";
    EXPECT_EQ(GetMenu(window), nullptr);
}

struct ExpectedControl {
    const char* name;
    HWND MainWindowControls::*member;
    const wchar_t* className;
    bool inGroupBox;
    RECT place;  // left, top, right, bottom in the container
    const wchar_t* text;
    DWORD kind;  // SS_LEFT / SS_CENTER for labels, BS_* for buttons
};

// Bottom to top of the stacking order.
const ExpectedControl kControls[] = {
    {"分组框1", &MainWindowControls::groupBox, L"Button", false, {8, 56, 336, 152}, L"",
     BS_GROUPBOX},
    {"标签1", &MainWindowControls::countCaption, L"Static", false, {16, 8, 144, 48},
     L"当前已开浏览器数量：", SS_LEFT},
    {"标签_浏览器数量", &MainWindowControls::countLabel, L"Static", false, {137, 8, 168, 48},
     L"0", SS_LEFT},
    {"标签_运行状态", &MainWindowControls::statusLabel, L"Static", false, {8, 160, 336, 200},
     kNotRunYet, SS_LEFT},
    {"按钮1", &MainWindowControls::tileButton, L"Button", true, {116, 24, 212, 56}, L"一键平铺",
     BS_PUSHBUTTON},
    {"标签2", &MainWindowControls::shortcutLabel, L"Static", true, {96, 64, 232, 88},
     L"快捷键：Alt+9（小键盘）", SS_CENTER},
};

TEST(MainWindowE2E, ControlsHaveTheirPlaceTextStyleFontAndStackingOrder) {
    VarnothSession varnoth;
    ASSERT_TRUE(varnoth.Start()) << "six controls expected";
    const MainWindowControls& controls = varnoth.Controls();

    for (const ExpectedControl& expected : kControls) {
        SCOPED_TRACE(expected.name);
        const HWND control = controls.*expected.member;
        EXPECT_EQ(_wcsicmp(ClassNameOf(control).c_str(), expected.className), 0);
        const RECT place =
            RectIn(control, expected.inGroupBox ? controls.groupBox : varnoth.Window());
        EXPECT_EQ(place.left, expected.place.left);
        EXPECT_EQ(place.top, expected.place.top);
        EXPECT_EQ(place.right, expected.place.right);
        EXPECT_EQ(place.bottom, expected.place.bottom);
        EXPECT_EQ(ReadText(control), expected.text);
        EXPECT_TRUE(IsWindowVisible(control));

        const auto style = static_cast<DWORD>(GetWindowLongPtrW(control, GWL_STYLE));
        const bool isButton = expected.member == &MainWindowControls::tileButton;
        EXPECT_EQ((style & WS_TABSTOP) != 0, isButton) << "the button is the only tab stop";
        if (_wcsicmp(expected.className, L"Static") == 0) {
            EXPECT_EQ(style & SS_TYPEMASK, expected.kind);
            EXPECT_NE(style & SS_NOPREFIX, 0u) << "'&' is drawn as itself";
            EXPECT_NE(style & SS_CENTERIMAGE, 0u) << "one line, vertically centred";
            EXPECT_EQ(style & WS_BORDER, 0u);
        } else {
            EXPECT_EQ(style & BS_TYPEMASK, expected.kind) << "not a default button";
        }
    }
}

// How many pixels inside `control` have exactly `colour` on the screen.
int CountPixels(HWND control, COLORREF colour) {
    RECT rect{};
    GetWindowRect(control, &rect);
    HDC screen = GetDC(nullptr);
    int count = 0;
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x) {
            count += GetPixel(screen, x, y) == colour ? 1 : 0;
        }
    }
    ReleaseDC(nullptr, screen);
    return count;
}

TEST(MainWindowE2E, LabelsShowTheirTextColoursOnButtonFace) {
    VarnothSession varnoth;
    ASSERT_TRUE(varnoth.Start());
    ASSERT_TRUE(BringToForeground(varnoth.Window()));
    RedrawWindow(varnoth.Window(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(500);
    SaveScreenshot(L"main-window");

    const MainWindowControls& controls = varnoth.Controls();
    const COLORREF buttonFace = GetSysColor(COLOR_BTNFACE);
    struct ColourCase {
        const char* name;
        HWND control;
        COLORREF text;
    };
    const ColourCase cases[] = {
        {"标签1", controls.countCaption, RGB(0, 0, 0)},
        {"标签_浏览器数量", controls.countLabel, RGB(255, 0, 0)},
        {"标签_运行状态", controls.statusLabel, RGB(0, 128, 0)},
        {"标签2", controls.shortcutLabel, RGB(0, 128, 0)},
    };
    for (const ColourCase& colourCase : cases) {
        SCOPED_TRACE(colourCase.name);
        EXPECT_GT(CountPixels(colourCase.control, colourCase.text), 0) << "text in its colour";
        RECT rect{};
        GetWindowRect(colourCase.control, &rect);
        HDC screen = GetDC(nullptr);
        // The label's last pixel row lies below its centred text line.
        EXPECT_EQ(GetPixel(screen, rect.right - 2, rect.bottom - 1), buttonFace)
            << "background filled with the button face";
        ReleaseDC(nullptr, screen);
    }
}

TEST(MainWindowE2E, EnterDoesNothingAndSpaceClicksTheFocusedButton) {
    VarnothSession varnoth;
    ASSERT_TRUE(varnoth.Start());
    ASSERT_TRUE(BringToForeground(varnoth.Window()));
    const MainWindowControls& controls = varnoth.Controls();

    PressKey(VK_RETURN);
    Sleep(300);
    EXPECT_EQ(ReadText(controls.statusLabel), kNotRunYet);
    EXPECT_TRUE(IsWindow(varnoth.Window()));

    // No browser window at all on this desktop.
    PressKey(VK_SPACE);
    EXPECT_TRUE(varnoth.WaitForText(controls.statusLabel, L"查找窗口句柄失败，请重试！"))
        << Utf8(ReadText(controls.statusLabel));
    EXPECT_EQ(ReadText(controls.countLabel), L"0");
}

TEST(MainWindowE2E, EscEndsTheProgramWithCodeZeroAndFreesTheHotkey) {
    constexpr int kProbeId = 0x7A;
    VarnothSession varnoth;
    ASSERT_TRUE(varnoth.Start());
    ASSERT_FALSE(RegisterHotKey(nullptr, kProbeId, MOD_ALT, VK_NUMPAD9))
        << "varnoth.exe holds Alt + numeric-keypad 9 while it runs";
    ASSERT_TRUE(BringToForeground(varnoth.Window()));

    PressKey(VK_ESCAPE);
    DWORD exitCode = 1234;
    ASSERT_TRUE(varnoth.Process().WaitForExit(kWaitMs, exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_TRUE(RegisterHotKey(nullptr, kProbeId, MOD_ALT, VK_NUMPAD9));
    UnregisterHotKey(nullptr, kProbeId);
}

// The locale runs only mean something if Wine really gave the programs the
// ANSI code page the run asked for (936 for Chinese, 1252 for English).
TEST(MainWindowE2E, RunsUnderTheRequestedAnsiCodePage) {
    const char* expected = std::getenv("VARNOTH_EXPECT_ACP");
    if (expected == nullptr || *expected == '\0') GTEST_SKIP() << "VARNOTH_EXPECT_ACP not set";
    EXPECT_EQ(GetACP(), std::strtoul(expected, nullptr, 10));
}

}  // namespace
}  // namespace varnoth::e2e
