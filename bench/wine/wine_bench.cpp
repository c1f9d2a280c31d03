// varnoth_wine_bench.exe: the Wine-side benchmarks. Each figure is measured
// side by side with its baseline in the same run, the two interleaved so that
// drift of the machine hits both alike, and reported as the median of several
// rounds. Output: one "figure|..." line per figure (see PrintFigure), plus
// "note|..." lines that say how a figure was taken.
//
//   varnoth_wine_bench.exe count   [--rounds N]   discovery, 2,000 real windows
//   varnoth_wine_bench.exe tile    [--rounds N]   tiling two browser windows
//   varnoth_wine_bench.exe startup [--rounds N]   varnoth.exe start to window shown
//   varnoth_wine_bench.exe memory  [--rounds N]   peak working set, start and 1,000 runs
//   varnoth_wine_bench.exe calls                  cost of single Win32 calls (notes only)
//
// Start-up and memory have two baselines: bare_window.exe, an empty window,
// and bare_controls.exe, varnoth.exe's window and controls without its logic.
//
// varnoth.exe, bare_window.exe, bare_controls.exe and fake_browser.exe are
// looked up in the build tree relative to this program; VARNOTH_EXE,
// VARNOTH_BARE_EXE, VARNOTH_BARE_CONTROLS_EXE and VARNOTH_FAKE_BROWSER
// override them.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "bench/wine/harness_support.h"
#include "platform/win32_desktop.h"
#include "platform/win32_handles.h"
#include "tests/helpers/fake_browser_driver.h"
#include "tiling/tile_command.h"
#include "tiling/window_discovery.h"

namespace varnoth::harness {
namespace {

constexpr char kBrowserClassA[] = "Chrome_WidgetWin_1";

std::wstring ExecutableFromEnvironment(const wchar_t* variable, const std::wstring& fallback) {
    if (const wchar_t* path = _wgetenv(variable); path != nullptr && *path) return path;
    return fallback;
}

std::wstring VarnothExe() {
    return ExecutableFromEnvironment(L"VARNOTH_EXE", ProgramDirectory() + L"..\\..\\app\\varnoth.exe");
}
std::wstring BareExe() {
    return ExecutableFromEnvironment(L"VARNOTH_BARE_EXE", ProgramDirectory() + L"bare_window.exe");
}
std::wstring BareControlsExe() {
    return ExecutableFromEnvironment(L"VARNOTH_BARE_CONTROLS_EXE",
                                     ProgramDirectory() + L"bare_controls.exe");
}
void PointDriverAtFakeBrowser() {
    if (const wchar_t* path = _wgetenv(L"VARNOTH_FAKE_BROWSER"); path != nullptr && *path) return;
    const std::wstring path = ProgramDirectory() + L"..\\..\\tests\\helpers\\fake_browser.exe";
    _wputenv_s(L"VARNOTH_FAKE_BROWSER", path.c_str());
}

// ---- The bare Win32 sequences that the measured operations are held against.

struct BareCountContext {
    int titled = 0;
};

// One class query per window, a case-insensitive compare, and the title
// queries only for windows of the class: the calls discovery has to make.
BOOL CALLBACK BareCountVisit(HWND window, LPARAM param) {
    auto& context = *reinterpret_cast<BareCountContext*>(param);
    char className[50];
    if (GetClassNameA(window, className, 50) <= 0) return TRUE;
    if (_stricmp(className, kBrowserClassA) != 0) return TRUE;
    const int length = GetWindowTextLengthA(window);
    char title[512];
    const int size = length + 1 < 512 ? length + 1 : 512;
    if (GetWindowTextA(window, title, size) > 0) ++context.titled;
    return TRUE;
}

int BareCountBrowserWindows() {
    BareCountContext context;
    EnumChildWindows(GetDesktopWindow(), BareCountVisit, reinterpret_cast<LPARAM>(&context));
    return context.titled;
}

struct BareFindContext {
    std::vector<HWND> titled;
};

BOOL CALLBACK BareFindVisit(HWND window, LPARAM param) {
    auto& context = *reinterpret_cast<BareFindContext*>(param);
    char className[50];
    if (GetClassNameA(window, className, 50) <= 0) return TRUE;
    if (_stricmp(className, kBrowserClassA) != 0) return TRUE;
    const int length = GetWindowTextLengthA(window);
    char title[512];
    const int size = length + 1 < 512 ? length + 1 : 512;
    if (GetWindowTextA(window, title, size) > 0) context.titled.push_back(window);
    return TRUE;
}

int BareTaskbarThickness() {
    APPBARDATA data{};
    data.cbSize = sizeof data;
    SHAppBarMessage(ABM_GETTASKBARPOS, &data);
    DISPLAY_DEVICEA device{};
    device.cb = sizeof device;
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    if (EnumDisplayDevicesA(nullptr, 0, &device, EDD_GET_DEVICE_INTERFACE_NAME)) {
        EnumDisplaySettingsA(device.DeviceName, ENUM_CURRENT_SETTINGS, &mode);
    }
    const LONG width = static_cast<LONG>(mode.dmPelsWidth);
    const LONG height = static_cast<LONG>(mode.dmPelsHeight);
    if (data.rc.left == 0 && data.rc.right == width) return data.rc.bottom - data.rc.top;
    if (data.rc.top == 0 && data.rc.bottom == height) return data.rc.right - data.rc.left;
    return 0;
}

// Restore and place one responsive window: the calls the tile command makes
// for each of the pair.
void BarePlace(HWND window, bool second) {
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                        kResponsivenessTimeoutMs, &answer);
    if (IsIconic(window)) OpenIcon(window);
    if (IsZoomed(window)) {
        CloseWindow(window);
        OpenIcon(window);
    }
    const int half = GetSystemMetrics(SM_CXSCREEN) / 2;
    if (second) GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN) - BareTaskbarThickness();
    RECT rect{};
    GetWindowRect(window, &rect);
    MoveWindow(window, second ? half - 8 : -8, 0, half + 16, height, TRUE);
}

int BareTileBrowserWindows(HWND own) {
    BareFindContext context;
    EnumChildWindows(GetDesktopWindow(), BareFindVisit, reinterpret_cast<LPARAM>(&context));
    if (context.titled.size() == 2) {
        BarePlace(context.titled[0], false);
        BarePlace(context.titled[1], true);
        CloseWindow(own);
    }
    return static_cast<int>(context.titled.size());
}

// ---- Windows of the harness's own.

LRESULT CALLBACK PlainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterPlainClass(const wchar_t* name) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = PlainProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = name;
    RegisterClassExW(&windowClass);
}

// Destroys its windows, newest first.
class OwnWindows {
public:
    OwnWindows() = default;
    OwnWindows(const OwnWindows&) = delete;
    OwnWindows& operator=(const OwnWindows&) = delete;
    ~OwnWindows() {
        for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) DestroyWindow(*it);
    }
    HWND Add(const wchar_t* className, const wchar_t* title, DWORD style) {
        HWND window = CreateWindowExW(0, className, title, style, 0, 0, 200, 100, nullptr,
                                      nullptr, GetModuleHandleW(nullptr), nullptr);
        if (window != nullptr) windows_.push_back(window);
        return window;
    }
    std::size_t Size() const { return windows_.size(); }

private:
    std::vector<HWND> windows_;
};

void PumpPendingMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

// ---- The figures.

int BenchCount(int rounds) {
    constexpr int kWindows = 2000;
    constexpr int kBrowsers = 20;
    RegisterPlainClass(L"VarnothBenchOther");
    RegisterPlainClass(L"Chrome_WidgetWin_1");
    OwnWindows windows;
    for (int i = 0; i < kWindows; ++i) {
        const bool browser = i % (kWindows / kBrowsers) == 0;
        const std::wstring title = (browser ? L"bench tab " : L"other ") + std::to_wstring(i);
        if (windows.Add(browser ? L"Chrome_WidgetWin_1" : L"VarnothBenchOther", title.c_str(),
                        WS_POPUP) == nullptr) {
            std::fprintf(stderr, "count: could not create window %d\n", i);
            return 1;
        }
    }
    PumpPendingMessages();
    Win32Desktop desktop;
    const int counted = CountBrowserWindows(desktop);
    const int bare = BareCountBrowserWindows();
    if (counted != kBrowsers || bare != kBrowsers) {
        std::fprintf(stderr, "count: CountBrowserWindows gave %d, the bare loop %d, expected %d\n",
                     counted, bare, kBrowsers);
        return 1;
    }
    constexpr int kCallsPerRound = 10;
    std::vector<double> measured, baseline;
    for (int round = 0; round < rounds; ++round) {
        // Alternate which goes first, so neither always runs on a warmer cache.
        for (int half = 0; half < 2; ++half) {
            const bool varnothNow = (round + half) % 2 == 0;
            const double start = NowSeconds();
            for (int i = 0; i < kCallsPerRound; ++i) {
                if (varnothNow) CountBrowserWindows(desktop);
                else BareCountBrowserWindows();
            }
            const double perCall = (NowSeconds() - start) / kCallsPerRound * 1e6;
            (varnothNow ? measured : baseline).push_back(perCall);
        }
    }
    std::printf("note|count: %d windows of the harness's own process (hidden top-level popups), "
                "%d of them titled Chrome_WidgetWin_1; %d rounds of %d calls each\n",
                kWindows, kBrowsers, rounds, kCallsPerRound);
    PrintFigure("CountBrowserWindows, 2,000 windows (us/call)", Median(measured), Median(baseline),
                "us", 1.10);
    return 0;
}

int BenchTile(int rounds) {
    PointDriverAtFakeBrowser();
    varnoth::testing::FakeBrowserProcess browsers;
    if (!browsers.Start({L"id=a,title=bench tab a", L"id=b,title=bench tab b"}, 600000)) {
        std::fprintf(stderr, "tile: fake_browser.exe did not start\n");
        return 1;
    }
    const HWND a = browsers.Hwnd("a");
    const HWND b = browsers.Hwnd("b");
    RegisterPlainClass(L"VarnothBenchOwn");
    OwnWindows own;
    const HWND ownWindow = own.Add(L"VarnothBenchOwn", L"bench own window",
                                   WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    Win32Desktop desktop;
    auto varnothRun = [&] {
        return TileBrowserWindows(desktop, FromHwnd(ownWindow), [](std::string_view) {});
    };
    if (varnothRun() != Utf8(kStatusTiled) || BareTileBrowserWindows(ownWindow) != 2) {
        std::fprintf(stderr, "tile: the scene does not hold exactly two titled browser windows\n");
        return 1;
    }
    // Every timed run starts from the windows somewhere else, so each really moves them.
    auto scatter = [&] {
        MoveWindow(a, 100, 80, 800, 600, TRUE);
        MoveWindow(b, 140, 110, 800, 600, TRUE);
        PumpPendingMessages();
    };
    constexpr int kRunsPerRound = 10;
    std::vector<double> measured, baseline;
    for (int round = 0; round < rounds; ++round) {
        for (int half = 0; half < 2; ++half) {
            const bool varnothNow = (round + half) % 2 == 0;
            // Runs are timed one by one: under Wine a single run now and then
            // waits for the X server, and the median of runs is blind to that.
            for (int i = 0; i < kRunsPerRound; ++i) {
                scatter();
                const double start = NowSeconds();
                if (varnothNow) varnothRun();
                else BareTileBrowserWindows(ownWindow);
                (varnothNow ? measured : baseline).push_back((NowSeconds() - start) * 1e6);
            }
        }
    }
    std::printf("note|tile: two titled windows of fake_browser.exe (another process), moved away "
                "before every run; median of %d rounds x %d runs, each run timed alone\n",
                rounds, kRunsPerRound);
    std::printf("note|tile: slowest run %.0f us (Varnoth), %.0f us (bare)\n",
                *std::max_element(measured.begin(), measured.end()),
                *std::max_element(baseline.begin(), baseline.end()));
    PrintFigure("TileBrowserWindows, two windows (us/run)", Median(measured), Median(baseline),
                "us", 1.10);
    return 0;
}

struct StartResult {
    double seconds = 0;
    MemoryFigures memory;
    bool ok = false;
};

// Starts the program, waits until it is idle and its window is shown, and
// returns how long that took; the process is left running in `process`.
StartResult StartAndTime(Process& process, const std::wstring& exe, const wchar_t* className,
                         const wchar_t* caption, HWND& window) {
    StartResult result;
    const double start = NowSeconds();
    if (!process.Start(Quote(exe))) return result;
    WaitForInputIdle(process.Handle(), 10000);
    window = WaitForVisibleWindow(process, className, caption, 10000);
    result.seconds = NowSeconds() - start;
    result.memory = ReadMemory(process.Handle());
    result.ok = window != nullptr;
    return result;
}

// The programs started and timed side by side, with their windows.
struct StartedProgram {
    const char* name;
    std::wstring exe;
    const wchar_t* className;
    const wchar_t* caption;
};

std::vector<StartedProgram> StartupPrograms() {
    return {
        {"varnoth.exe", VarnothExe(), kVarnothClass, kVarnothCaption},
        {"bare_window.exe", BareExe(), kBareClass, kBareCaption},
        {"bare_controls.exe", BareControlsExe(), kBareControlsClass, kBareControlsCaption},
    };
}

int BenchStartup(int rounds) {
    const std::vector<StartedProgram> programs = StartupPrograms();
    std::vector<std::vector<double>> times(programs.size());
    // The first start of each program pays for loading it from disk; not counted.
    for (int round = -1; round < rounds; ++round) {
        // Rotate which program goes first, so none always starts on a warmer cache.
        for (std::size_t turn = 0; turn < programs.size(); ++turn) {
            const std::size_t which =
                (turn + static_cast<std::size_t>(round + 1)) % programs.size();
            const StartedProgram& program = programs[which];
            Process process;
            HWND window = nullptr;
            const StartResult result =
                StartAndTime(process, program.exe, program.className, program.caption, window);
            process.Stop(window);
            if (!result.ok) {
                std::fprintf(stderr, "startup: %s did not show its window\n", program.name);
                return 1;
            }
            if (round >= 0) times[which].push_back(result.seconds * 1e3);
        }
    }
    std::printf("note|startup: CreateProcess to WaitForInputIdle and the window visible "
                "(FindWindow/IsWindowVisible polling); %d starts each, after one warm-up start; "
                "programs started in turn, the first of each round rotating\n",
                rounds);
    PrintFigure("start to window shown and idle (ms)", Median(times[0]), Median(times[1]), "ms",
                1.10, Median(times[2]));
    return 0;
}

int BenchMemory(int rounds) {
    PointDriverAtFakeBrowser();
    varnoth::testing::FakeBrowserProcess browsers;
    if (!browsers.Start({L"id=a,title=bench tab a", L"id=b,title=bench tab b"}, 600000)) {
        std::fprintf(stderr, "memory: fake_browser.exe did not start\n");
        return 1;
    }
    constexpr int kTileRuns = 1000;
    const std::vector<StartedProgram> programs = StartupPrograms();
    std::vector<double> afterStart, afterRuns, bare, bareControls;
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t which = 1; which < programs.size(); ++which) {
            const StartedProgram& program = programs[which];
            Process process;
            HWND window = nullptr;
            const StartResult started =
                StartAndTime(process, program.exe, program.className, program.caption, window);
            process.Stop(window);
            if (!started.ok || started.memory.peakWorkingSet == 0) {
                std::fprintf(stderr, "memory: no working set figure for %s\n", program.name);
                return 1;
            }
            (which == 1 ? bare : bareControls)
                .push_back(static_cast<double>(started.memory.peakWorkingSet) / 1024.0);
        }
        Process process;
        HWND window = nullptr;
        const StartResult started =
            StartAndTime(process, VarnothExe(), kVarnothClass, kVarnothCaption, window);
        const VarnothControls controls =
            started.ok ? FindVarnothControls(window) : VarnothControls{};
        if (controls.tileButton == nullptr || controls.statusLabel == nullptr) {
            std::fprintf(stderr, "memory: varnoth.exe's window or tile button not found\n");
            process.Stop(window);
            return 1;
        }
        afterStart.push_back(static_cast<double>(started.memory.peakWorkingSet) / 1024.0);
        for (int run = 0; run < kTileRuns; ++run) {
            // The last run starts from a blank status, so its text proves the clicks tile.
            if (run == kTileRuns - 1) WriteText(controls.statusLabel, L"");
            SendMessageW(controls.tileButton, BM_CLICK, 0, 0);
        }
        const auto status = ReadText(controls.statusLabel);
        const MemoryFigures after = ReadMemory(process.Handle());
        process.Stop(window);
        if (!status || *status != kStatusTiled) {
            std::fprintf(stderr, "memory: after %d clicks the status label reads \"%s\"\n",
                         kTileRuns, status ? Utf8(*status).c_str() : "(no answer)");
            return 1;
        }
        afterRuns.push_back(static_cast<double>(after.peakWorkingSet) / 1024.0);
    }
    std::printf("note|memory: PeakWorkingSetSize (GetProcessMemoryInfo); tile runs by "
                "SendMessage(button, BM_CLICK) with two windows of fake_browser.exe; "
                "baselines bare_window.exe and bare_controls.exe after start; %d rounds\n",
                rounds);
    PrintFigure("peak working set after start (KiB)", Median(afterStart), Median(bare), "KiB", 1.25,
                Median(bareControls));
    PrintFigure("peak working set after 1,000 tile runs (KiB)", Median(afterRuns), Median(bare),
                "KiB", 1.25, Median(bareControls));
    return 0;
}


// Where a tile run's time goes under Wine: each call of the bare sequence
// timed on its own (median of 20), for the notes printed next to the figures.
int ProbeCalls() {
    PointDriverAtFakeBrowser();
    varnoth::testing::FakeBrowserProcess browsers;
    if (!browsers.Start({L"id=a,title=bench tab a"}, 600000)) return 1;
    const HWND a = browsers.Hwnd("a");
    struct Probe {
        const char* name;
        void (*call)(HWND);
    };
    const Probe probes[] = {
        {"EnumChildWindows+GetClassNameA (whole desktop)",
         [](HWND) { BareCountBrowserWindows(); }},
        {"SendMessageTimeout WM_NULL", [](HWND w) {
             DWORD_PTR r = 0;
             SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 200, &r);
         }},
        {"IsIconic", [](HWND w) { IsIconic(w); }},
        {"GetSystemMetrics", [](HWND) { GetSystemMetrics(SM_CXSCREEN); }},
        {"taskbar thickness (SHAppBarMessage+EnumDisplay*)", [](HWND) { BareTaskbarThickness(); }},
        {"GetWindowRect", [](HWND w) { RECT r; GetWindowRect(w, &r); }},
        {"MoveWindow (other process)", [](HWND w) {
             static int flip = 0;
             flip ^= 1;
             MoveWindow(w, flip ? -8 : 100, 0, 800, 600, TRUE);
         }},
    };
    for (const Probe& probe : probes) {
        std::vector<double> times;
        for (int i = 0; i < 20; ++i) {
            const double start = NowSeconds();
            probe.call(a);
            times.push_back((NowSeconds() - start) * 1e6);
        }
        std::printf("note|call cost under Wine: %s: %.0f us (median of 20)\n", probe.name,
                    Median(times));
    }
    return 0;
}

}  // namespace
}  // namespace varnoth::harness

int wmain(int argc, wchar_t** argv) {
    using namespace varnoth::harness;
    if (argc < 2) {
        std::fputs("usage: varnoth_wine_bench.exe count|tile|startup|memory [--rounds N]\n", stderr);
        return 2;
    }
    const std::wstring command = argv[1];
    int rounds = 0;
    for (int i = 2; i + 1 < argc; ++i) {
        if (std::wcscmp(argv[i], L"--rounds") == 0) rounds = _wtoi(argv[i + 1]);
    }
    if (command == L"count") return BenchCount(rounds > 0 ? rounds : 15);
    if (command == L"tile") return BenchTile(rounds > 0 ? rounds : 15);
    if (command == L"startup") return BenchStartup(rounds > 0 ? rounds : 7);
    if (command == L"calls") return ProbeCalls();
    if (command == L"memory") return BenchMemory(rounds > 0 ? rounds : 3);
    std::fputs("usage: varnoth_wine_bench.exe count|tile|startup|memory [--rounds N]\n", stderr);
    return 2;
}
