// Window place and tiled rectangles on screens of a given size. Each size runs
// in a Wine virtual desktop of its own (explorer /desktop=NAME,WxH), where this
// same program plays the scenario and writes what it measured to a file; the
// test here judges those figures. (explorer always exits with 0, so the file is
// the only channel back.)
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "tests/e2e/e2e_support.h"
#include "tests/e2e/screen_scenario.h"
#include "tests/helpers/fake_browser_driver.h"

namespace varnoth::e2e {

namespace {

std::map<std::string, std::string> ReadResults(const std::wstring& path) {
    std::map<std::string, std::string> results;
    std::ifstream in(Utf8(path));
    std::string line;
    while (std::getline(in, line)) {
        const auto space = line.find(' ');
        results[line.substr(0, space)] = space == std::string::npos ? "" : line.substr(space + 1);
    }
    return results;
}

}  // namespace

int RunScreenScenario(const std::wstring& resultPath) {
    std::ostringstream out;
    out << "screen " << GetSystemMetrics(SM_CXSCREEN) << ' ' << GetSystemMetrics(SM_CYSCREEN)
        << '\n';
    auto writeRect = [&](const char* name, HWND window) {
        RECT rect{};
        GetWindowRect(window, &rect);
        out << name << ' ' << rect.left << ' ' << rect.top << ' ' << rect.right - rect.left << ' '
            << rect.bottom - rect.top << '\n';
    };
    {
        varnoth::testing::FakeBrowserProcess browsers;
        VarnothSession varnoth;
        if (browsers.Start({L"id=a,rect=100:100:400:300,title=Left",
                            L"id=b,rect=150:150:400:300,title=Right"}) &&
            varnoth.Start()) {
            writeRect("window", varnoth.Window());
            BringToForeground(varnoth.Window());
            const auto [left, right] = InEnumerationOrder(browsers.Hwnd("a"), browsers.Hwnd("b"));
            ClickCentreOf(varnoth.Controls().tileButton);
            varnoth.WaitForText(varnoth.Controls().statusLabel, L"平铺窗口，执行完毕！");
            WaitUntil([&] { return IsIconic(varnoth.Window()) != FALSE; }, 3000);
            writeRect("a", left);
            writeRect("b", right);
            out << "status " << Utf8(ReadText(varnoth.Controls().statusLabel)) << '\n';
            out << "iconic " << (IsIconic(varnoth.Window()) ? 1 : 0) << '\n';
        }
    }
    out << "done\n";
    std::ofstream file(Utf8(resultPath), std::ios::binary | std::ios::trunc);
    file << out.str();
    return 0;
}

namespace {

struct ScreenCase {
    const char* name;
    int width;
    int height;
    const char* window;  // x y width height
    const char* a;
    const char* b;
};

class ScreenSizeE2E : public ::testing::TestWithParam<ScreenCase> {};

TEST_P(ScreenSizeE2E, WindowIsCentredAndBrowsersTileToTruncatedHalves) {
    const ScreenCase& screen = GetParam();
    const std::wstring resultPath = TestProgramDirectory() + L"screen-" +
                                    std::wstring(screen.name, screen.name + std::strlen(screen.name)) +
                                    L".txt";
    DeleteFileW(resultPath.c_str());
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring size = std::to_wstring(screen.width) + L"x" + std::to_wstring(screen.height);
    ChildProcess desktop;
    ASSERT_TRUE(desktop.Start(L"explorer.exe /desktop=VarnothE2E" + size + L"," + size + L" \"" +
                              self + L"\" " + kScreenScenarioFlag + L" \"" + resultPath + L"\""));
    ASSERT_TRUE(WaitUntil([&] { return ReadResults(resultPath).count("done") == 1; }, 60000))
        << "no result from the virtual desktop";
    const auto results = ReadResults(resultPath);

    EXPECT_EQ(results.at("screen"),
              std::to_string(screen.width) + " " + std::to_string(screen.height));
    ASSERT_EQ(results.count("window"), 1u) << "the scenario did not start";
    EXPECT_EQ(results.at("window"), screen.window);
    EXPECT_EQ(results.at("a"), screen.a);
    EXPECT_EQ(results.at("b"), screen.b);
    EXPECT_EQ(results.at("status"), "平铺窗口，执行完毕！");
    EXPECT_EQ(results.at("iconic"), "1");
    DWORD exitCode = 0;
    desktop.WaitForExit(5000, exitCode);
}

// A = (-8, 0, SW/2+16, SH-1), B = (SW/2-8, 0, SW/2+16, SH-1), truncated toward zero.
INSTANTIATE_TEST_SUITE_P(Screens, ScreenSizeE2E,
                         ::testing::Values(ScreenCase{"FullHd", 1920, 1080, "784 422 351 235",
                                                      "-8 0 976 1079", "952 0 976 1079"},
                                           ScreenCase{"OddWidth", 1365, 768, "507 266 351 235",
                                                      "-8 0 698 767", "674 0 698 767"}),
                         [](const ::testing::TestParamInfo<ScreenCase>& param) {
                             return std::string(param.param.name);
                         });

}  // namespace
}  // namespace varnoth::e2e
