// The tiling core on the real desktop: browser windows played by
// fake_browser.exe in other processes are found, counted and tiled to exact
// rectangles, also when one of the browsers has stopped responding.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "platform/win32_desktop.h"
#include "platform/win32_handles.h"
#include "tests/helpers/fake_browser_driver.h"
#include "tiling/tile_command.h"
#include "tiling/window_discovery.h"

namespace varnoth {
namespace {

using varnoth::testing::FakeBrowserProcess;

// Every window of the browser class on the desktop, in enumeration order,
// gathered with the raw API so the expectations do not lean on the code under test.
std::vector<HWND> BrowserClassWindows(bool titledOnly) {
    std::vector<HWND> found;
    EnumChildWindows(
        GetDesktopWindow(),
        [](HWND hwnd, LPARAM param) -> BOOL {
            char name[64] = {};
            GetClassNameA(hwnd, name, sizeof name);
            if (lstrcmpiA(name, "Chrome_WidgetWin_1") == 0) {
                reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    if (titledOnly) {
        std::erase_if(found, [](HWND hwnd) { return GetWindowTextLengthW(hwnd) == 0; });
    }
    return found;
}

std::vector<WindowHandle> HandlesOf(const std::vector<HWND>& windows) {
    std::vector<WindowHandle> handles;
    for (const HWND hwnd : windows) handles.push_back(FromHwnd(hwnd));
    return handles;
}

// The taskbar's thickness as the tool measures it, from the raw query: its
// height when it spans the screen's width, its width when it spans the height.
int RawTaskbarThickness() {
    APPBARDATA data{};
    data.cbSize = sizeof data;
    if (SHAppBarMessage(ABM_GETTASKBARPOS, &data) == 0) return 0;
    const RECT rc = data.rc;
    if (rc.left == 0 && rc.right == GetSystemMetrics(SM_CXSCREEN)) return rc.bottom - rc.top;
    if (rc.top == 0 && rc.bottom == GetSystemMetrics(SM_CYSCREEN)) return rc.right - rc.left;
    return 0;
}

struct Tiles {
    RECT left;
    RECT right;
};

// Each half reaches 8 pixels past its side of the screen; values truncated.
Tiles ExpectedTiles() {
    const double half = GetSystemMetrics(SM_CXSCREEN) / 2.0;
    const int width = static_cast<int>(half + 16);
    const int height = static_cast<int>(GetSystemMetrics(SM_CYSCREEN) - RawTaskbarThickness());
    const int rightX = static_cast<int>(half - 8);
    return Tiles{RECT{-8, 0, -8 + width, height}, RECT{rightX, 0, rightX + width, height}};
}

std::string Describe(const RECT& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " +
           std::to_string(r.right) + ", " + std::to_string(r.bottom) + ")";
}

::testing::AssertionResult HasRect(HWND hwnd, const RECT& expected) {
    RECT actual{};
    if (!GetWindowRect(hwnd, &actual)) return ::testing::AssertionFailure() << "window is gone";
    if (EqualRect(&actual, &expected)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "rect " << Describe(actual) << ", expected "
                                       << Describe(expected);
}

// Waits (bounded) for a window to reach a rectangle it has been sent asynchronously.
::testing::AssertionResult ReachesRect(HWND hwnd, const RECT& expected, DWORD waitMs) {
    const ULONGLONG deadline = GetTickCount64() + waitMs;
    while (GetTickCount64() < deadline) {
        RECT actual{};
        if (GetWindowRect(hwnd, &actual) && EqualRect(&actual, &expected) && !IsZoomed(hwnd)) {
            return ::testing::AssertionSuccess();
        }
        Sleep(20);
    }
    return HasRect(hwnd, expected);
}

// The tool's own window, which a tiling minimises.
class OwnWindow {
public:
    OwnWindow() {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"VarnothTestOwnWindow";
        RegisterClassExW(&windowClass);
        hwnd_ = CreateWindowExW(0, windowClass.lpszClassName, L"Varnoth test", WS_OVERLAPPEDWINDOW,
                                700, 400, 351, 235, nullptr, nullptr, GetModuleHandleW(nullptr),
                                nullptr);
        ShowWindow(hwnd_, SW_SHOWNORMAL);
    }
    ~OwnWindow() { DestroyWindow(hwnd_); }
    OwnWindow(const OwnWindow&) = delete;
    OwnWindow& operator=(const OwnWindow&) = delete;
    HWND hwnd() const { return hwnd_; }
    WindowHandle handle() const { return FromHwnd(hwnd_); }

private:
    HWND hwnd_ = nullptr;
};

struct TileRun {
    std::string status;
    std::vector<std::string> counts;
    double seconds = 0;
};

TileRun RunTile(Win32Desktop& desktop, const OwnWindow& own) {
    TileRun run;
    const auto start = std::chrono::steady_clock::now();
    run.status = TileBrowserWindows(desktop, own.handle(), [&](std::string_view count) {
        run.counts.emplace_back(count);
    });
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return run;
}

TEST(Win32Discovery, FindsEveryWindowOfTheClassAndCountsTheTitledOnes) {
    FakeBrowserProcess browser;
    ASSERT_TRUE(browser.Start({L"id=titled,title=Alpha - Chrome",
                               L"id=untitled",
                               L"id=tab,parent=titled,title=Tab",
                               L"id=inner,parent=titled",
                               L"id=minimised,state=min,title=Beta",
                               L"id=maximised,state=max,title=Gamma",
                               L"id=other,class=NotABrowser,title=Other"}));
    const std::vector<HWND> ours = {browser.Hwnd("titled"), browser.Hwnd("untitled"),
                                    browser.Hwnd("tab"), browser.Hwnd("inner"),
                                    browser.Hwnd("minimised"), browser.Hwnd("maximised")};
    ASSERT_EQ(BrowserClassWindows(false).size(), ours.size())
        << "another browser-class window is on the desktop";

    Win32Desktop desktop;
    for (const char* filter : {"Chrome_WidgetWin_1", "chrome_widgetwin_1"}) {
        SCOPED_TRACE(filter);
        HandleList found;
        std::string filterText = filter;
        EXPECT_EQ(FindWindowsByClass(desktop, desktop.GetDesktopWindow(), found, filterText), 6);
        EXPECT_EQ(found, HandlesOf(BrowserClassWindows(false)));
        HandleList sorted = found;
        std::vector<WindowHandle> expected = HandlesOf(ours);
        std::sort(sorted.begin(), sorted.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(sorted, expected);
        EXPECT_EQ(CollectTitledWindows(desktop, found), HandlesOf(BrowserClassWindows(true)));
    }
    EXPECT_EQ(CountBrowserWindows(desktop), 4);
    // Another process's title comes back exact, although the platform's length
    // for it may be larger than the text.
    EXPECT_EQ(GetWindowTitleText(desktop, FromHwnd(browser.Hwnd("titled"))), "Alpha - Chrome");
    EXPECT_EQ(GetWindowTitleText(desktop, FromHwnd(browser.Hwnd("untitled"))), "");
    EXPECT_EQ(GetWindowClassText(desktop, FromHwnd(browser.Hwnd("tab"))), "Chrome_WidgetWin_1");
}

TEST(Win32Discovery, ChineseTitleOfAnotherProcessArrivesInCodePage936) {
    if (GetACP() != 936) GTEST_SKIP() << "ANSI code page is " << GetACP();
    FakeBrowserProcess browser;
    ASSERT_TRUE(browser.Start({L"id=zh,title=新标签页 - Chrome"}));
    Win32Desktop desktop;
    EXPECT_EQ(GetWindowTitleText(desktop, FromHwnd(browser.Hwnd("zh"))),
              "\xD0\xC2\xB1\xEA\xC7\xA9\xD2\xB3 - Chrome");
}

struct TileCase {
    const char* name;
    const wchar_t* firstState;
    const wchar_t* secondState;
};

class Win32Tiling : public ::testing::TestWithParam<TileCase> {};

TEST_P(Win32Tiling, PlacesTwoBrowsersSideBySideRestoredAndMinimisesTheTool) {
    const TileCase& c = GetParam();
    FakeBrowserProcess browser;
    ASSERT_TRUE(browser.Start({std::wstring(L"id=one,state=") + c.firstState + L",title=One",
                               std::wstring(L"id=two,state=") + c.secondState + L",title=Two"}));
    const std::vector<HWND> order = BrowserClassWindows(true);
    ASSERT_EQ(order.size(), 2u);
    OwnWindow own;
    Win32Desktop desktop;

    const TileRun run = RunTile(desktop, own);

    EXPECT_EQ(run.status, status_text::kTiled);
    EXPECT_EQ(run.counts, std::vector<std::string>{"2"});
    const Tiles tiles = ExpectedTiles();
    EXPECT_TRUE(HasRect(order[0], tiles.left));
    EXPECT_TRUE(HasRect(order[1], tiles.right));
    for (const HWND hwnd : order) {
        EXPECT_FALSE(IsZoomed(hwnd));
        EXPECT_FALSE(IsIconic(hwnd));
    }
    EXPECT_TRUE(IsIconic(own.hwnd()));
}

INSTANTIATE_TEST_SUITE_P(
    States, Win32Tiling,
    ::testing::Values(TileCase{"normal_normal", L"normal", L"normal"},
                      TileCase{"maximised_minimised", L"max", L"min"},
                      TileCase{"minimised_from_maximised_and_maximised", L"min-from-max", L"max"}),
    [](const ::testing::TestParamInfo<TileCase>& p) { return std::string(p.param.name); });

TEST(Win32TilingOutcomes, UntitledOrThreeBrowsersMoveNothing) {
    FakeBrowserProcess browser;
    ASSERT_TRUE(browser.Start({L"id=a", L"id=b", L"id=c"}));
    OwnWindow own;
    Win32Desktop desktop;
    RECT before{};
    GetWindowRect(browser.Hwnd("a"), &before);

    TileRun run = RunTile(desktop, own);
    EXPECT_EQ(run.status, status_text::kNoTitledWindow);
    EXPECT_EQ(run.counts, std::vector<std::string>{"0"});

    for (const char* name : {"a", "b", "c"}) {
        ASSERT_TRUE(browser.Command(std::string("title ") + name + " Browser " + name));
    }
    run = RunTile(desktop, own);
    EXPECT_EQ(run.counts, std::vector<std::string>{"3"});
    EXPECT_TRUE(HasRect(browser.Hwnd("a"), before));
    EXPECT_FALSE(IsIconic(own.hwnd()));
}

TEST(Win32HungBrowser, TilingReturnsAtOnceAndTheHungWindowFollowsWhenItResumes) {
    FakeBrowserProcess responsive;
    FakeBrowserProcess hung;
    ASSERT_TRUE(responsive.Start({L"id=live,title=Responsive"}));
    ASSERT_TRUE(hung.Start({L"id=stuck,state=max,title=Hung"}));
    const std::vector<HWND> order = BrowserClassWindows(true);
    ASSERT_EQ(order.size(), 2u);
    const HWND stuck = hung.Hwnd("stuck");
    const HWND live = responsive.Hwnd("live");
    const Tiles tiles = ExpectedTiles();
    const RECT& stuckTarget = order[0] == stuck ? tiles.left : tiles.right;
    const RECT& liveTarget = order[0] == live ? tiles.left : tiles.right;

    ASSERT_TRUE(hung.Send("hang 2500"));
    ASSERT_TRUE(hung.WaitForLine("hang-start", 5000));
    Sleep(50);
    OwnWindow own;
    Win32Desktop desktop;

    const TileRun run = RunTile(desktop, own);

    EXPECT_LT(run.seconds, 0.5);
    EXPECT_EQ(run.status, status_text::kTiled);
    EXPECT_TRUE(HasRect(live, liveTarget)) << "the responsive browser is placed at once";
    EXPECT_FALSE(IsZoomed(live));

    ASSERT_TRUE(hung.WaitForLine("hang-end", 5000));
    EXPECT_TRUE(ReachesRect(stuck, stuckTarget, 3000));
    EXPECT_FALSE(IsZoomed(stuck));
    EXPECT_FALSE(IsIconic(stuck));
}

}  // namespace
}  // namespace varnoth
