// The end-to-end test driver: GoogleTest, or, with --screen-scenario FILE, the
// scenario a screen-size test runs inside its virtual desktop.
#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include "tests/e2e/screen_scenario.h"

int main(int argc, char** argv) {
    int wideCount = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &wideCount);
    if (wide != nullptr && wideCount == 3 && std::wstring(wide[1]) == varnoth::e2e::kScreenScenarioFlag) {
        const std::wstring resultPath = wide[2];
        LocalFree(wide);
        return varnoth::e2e::RunScreenScenario(resultPath);
    }
    LocalFree(wide);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
