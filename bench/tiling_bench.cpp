// Cost of discovery and tiling against the number of windows on the desktop,
// on the simulated desktop. 1 % of the windows are browser windows; for the
// tile command only two of those have a title, so every run really tiles.
// Besides time per window it reports how many platform calls a run makes, so
// a change that queries more than it must shows up as a number.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

#include "platform/simulated_desktop.h"
#include "tiling/tile_command.h"
#include "tiling/window_discovery.h"

namespace varnoth {
namespace {

// At least two, so that the tile command has a pair to tile.
int BrowsersAmong(int windows) { return std::max(2, windows / 100); }

// windows: total top-level windows, 1 % of them browser windows, spread evenly.
// titledBrowsers: how many of those have a title (-1: all).
SimulatedDesktop MakeDesktop(int windows, int titledBrowsers) {
    SimulatedDesktop desktop;
    const int every = windows / BrowsersAmong(windows);
    int browsers = 0;
    for (int i = 0; i < windows; ++i) {
        if (i % every == 0 && browsers < BrowsersAmong(windows)) {
            const bool titled = titledBrowsers < 0 || browsers < titledBrowsers;
            desktop.AddWindow("Chrome_WidgetWin_1", titled ? "tab" : "");
            ++browsers;
        } else {
            desktop.AddWindow(i % 2 ? "Shell_TrayWnd" : "Notepad", "window");
        }
    }
    desktop.SetLogging(false);
    return desktop;
}

// windows: the browser-and-other windows of the scene (the tool's own window,
// where there is one, is not counted: it is one more class query per run).
void ReportCalls(benchmark::State& state, SimulatedDesktop& desktop, int windows) {
    const double runs = static_cast<double>(state.iterations());
    const double browsers = BrowsersAmong(windows);
    // Seconds per window: flat from 1,000 to 100,000 windows means linear cost.
    state.counters["time/window"] = benchmark::Counter(
        static_cast<double>(windows), benchmark::Counter::kIsIterationInvariantRate |
                                          benchmark::Counter::kInvert);
    state.counters["class_q/window"] = desktop.CountOf(DesktopCall::GetClassNameA) / runs / windows;
    state.counters["title_q/browser"] = desktop.CountOf(DesktopCall::GetWindowTextA) / runs / browsers;
    state.counters["moves/run"] = desktop.CountOf(DesktopCall::MoveWindow) / runs;
}

void BM_FindWindowsByClass(benchmark::State& state) {
    const int windows = static_cast<int>(state.range(0));
    SimulatedDesktop desktop = MakeDesktop(windows, -1);
    desktop.ClearCalls();
    for (auto _ : state) {
        HandleList found;
        std::string filter(kBrowserWindowClass);
        benchmark::DoNotOptimize(FindWindowsByClass(desktop, desktop.GetDesktopWindow(), found, filter));
    }
    ReportCalls(state, desktop, windows);
}

void BM_CountBrowserWindows(benchmark::State& state) {
    const int windows = static_cast<int>(state.range(0));
    SimulatedDesktop desktop = MakeDesktop(windows, -1);
    desktop.ClearCalls();
    for (auto _ : state) benchmark::DoNotOptimize(CountBrowserWindows(desktop));
    ReportCalls(state, desktop, windows);
}

void BM_TileBrowserWindows(benchmark::State& state) {
    const int windows = static_cast<int>(state.range(0));
    SimulatedDesktop desktop = MakeDesktop(windows, 2);
    const WindowHandle own = desktop.AddWindow("VarnothMainWindow", "Varnoth V0.2");
    desktop.ClearCalls();
    for (auto _ : state) {
        std::string status = TileBrowserWindows(desktop, own, [](std::string_view) {});
        benchmark::DoNotOptimize(status);
    }
    ReportCalls(state, desktop, windows);
}

BENCHMARK(BM_FindWindowsByClass)->Arg(100)->Arg(1000)->Arg(10000)->Arg(100000);
BENCHMARK(BM_CountBrowserWindows)->Arg(100)->Arg(1000)->Arg(10000)->Arg(100000);
BENCHMARK(BM_TileBrowserWindows)->Arg(100)->Arg(1000)->Arg(10000)->Arg(100000);

}  // namespace
}  // namespace varnoth

BENCHMARK_MAIN();
