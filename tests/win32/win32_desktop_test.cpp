// Win32Desktop against the real API, where it promises more than a plain
// pass-through: handle conversion, cut class names and titles, ANSI texts in
// code page 936, and the message hook chain.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32_desktop.h"
#include "platform/win32_handles.h"

namespace varnoth {
namespace {

// A window of this test process, with its own Unicode class.
class LocalWindow {
public:
    explicit LocalWindow(const wchar_t* className, WNDPROC procedure = DefWindowProcW) {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = className;
        RegisterClassExW(&windowClass);
        hwnd_ = CreateWindowExW(0, className, L"", WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~LocalWindow() {
        if (hwnd_ != nullptr && IsWindow(hwnd_)) DestroyWindow(hwnd_);
    }
    LocalWindow(const LocalWindow&) = delete;
    LocalWindow& operator=(const LocalWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    WindowHandle handle() const { return FromHwnd(hwnd_); }
    void Destroy() {
        DestroyWindow(hwnd_);
    }

private:
    HWND hwnd_ = nullptr;
};

struct HandleCase {
    const char* name;
    WindowHandle handle;
    std::intptr_t expectedHwnd;
};

class HandleConversion : public ::testing::TestWithParam<HandleCase> {};

TEST_P(HandleConversion, SignExtendsAndTruncatesBack) {
    const HandleCase& c = GetParam();
    const HWND hwnd = ToHwnd(c.handle);
    EXPECT_EQ(reinterpret_cast<std::intptr_t>(hwnd), c.expectedHwnd);
    EXPECT_EQ(FromHwnd(hwnd), c.handle);
}

INSTANTIATE_TEST_SUITE_P(
    Handles, HandleConversion,
    ::testing::Values(HandleCase{"none", 0u, 0}, HandleCase{"typical", 0x0001005Eu, 0x1005E},
                      HandleCase{"highest_positive", 0x7FFFFFFFu, 0x7FFFFFFF},
                      HandleCase{"top_bit_set", 0x80000000u, -0x80000000LL},
                      HandleCase{"minus_one", 0xFFFFFFFFu, -1}),
    [](const ::testing::TestParamInfo<HandleCase>& p) { return std::string(p.param.name); });

TEST(Win32Desktop, EnumerationReportsALiveWindowUnderItsOwnHandle) {
    LocalWindow window(L"VarnothEnumProbe");
    ASSERT_NE(window.hwnd(), nullptr);
    Win32Desktop desktop;
    struct Search {
        WindowHandle wanted;
        bool found = false;
    } search{window.handle()};
    desktop.EnumChildWindows(
        desktop.GetDesktopWindow(),
        [](WindowHandle w, void* context) {
            auto* s = static_cast<Search*>(context);
            if (w == s->wanted) s->found = true;
            return !s->found;
        },
        &search);
    EXPECT_TRUE(search.found);
    // The handle that came out of the enumeration works in the other calls.
    EXPECT_EQ(ToHwnd(search.wanted), window.hwnd());
}

TEST(Win32Desktop, ClassNameIsCutTo49BytesAndZeroTerminated) {
    const std::wstring longName(60, L'C');
    LocalWindow window(longName.c_str());
    ASSERT_NE(window.hwnd(), nullptr);
    Win32Desktop desktop;
    char buffer[52];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(desktop.GetClassNameA(window.handle(), buffer, 50), 49);
    EXPECT_EQ(std::string(buffer), std::string(49, 'C'));
    EXPECT_EQ(buffer[50], '#') << "nothing is written past the buffer";
}

TEST(Win32Desktop, FailedTextQueriesLeaveTheBufferAlone) {
    LocalWindow window(L"VarnothGoneWindow");
    const WindowHandle gone = window.handle();
    window.Destroy();
    Win32Desktop desktop;
    char buffer[8] = "keep";
    EXPECT_EQ(desktop.GetClassNameA(gone, buffer, 8), 0);
    EXPECT_STREQ(buffer, "keep");
    EXPECT_EQ(desktop.GetWindowTextA(gone, buffer, 8), 0);
    EXPECT_STREQ(buffer, "keep");
}

TEST(Win32Desktop, EmptyTitleGivesTheEmptyText) {
    LocalWindow window(L"VarnothUntitled");
    Win32Desktop desktop;
    char buffer[8] = "junk";
    EXPECT_EQ(desktop.GetWindowTextLengthA(window.handle()), 0);
    EXPECT_EQ(desktop.GetWindowTextA(window.handle(), buffer, 8), 0);
    EXPECT_STREQ(buffer, "");
}

TEST(Win32Desktop, SystemRunsWithTheExpectedAnsiCodePage) {
    const char* expected = std::getenv("VARNOTH_EXPECT_ACP");
    if (expected == nullptr || *expected == '\0') GTEST_SKIP() << "VARNOTH_EXPECT_ACP not set";
    EXPECT_EQ(GetACP(), std::strtoul(expected, nullptr, 10));
}

TEST(Win32Desktop, UnicodeTitleComesBackInCodePage936) {
    if (GetACP() != 936) GTEST_SKIP() << "ANSI code page is " << GetACP();
    LocalWindow window(L"VarnothChineseTitle");
    ASSERT_TRUE(SetWindowTextW(window.hwnd(), L"中文 - Chrome"));
    Win32Desktop desktop;
    const std::string expected = "\xD6\xD0\xCE\xC4 - Chrome";
    const int length = desktop.GetWindowTextLengthA(window.handle());
    EXPECT_GE(length, static_cast<int>(expected.size()));
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '#');
    EXPECT_EQ(desktop.GetWindowTextA(window.handle(), buffer.data(), length + 1),
              static_cast<int>(expected.size()));
    EXPECT_EQ(std::string(buffer.data()), expected);
}

TEST(Win32Desktop, PrimaryDisplayModeMatchesTheScreen) {
    Win32Desktop desktop;
    std::string device;
    ASSERT_TRUE(desktop.EnumDisplayDevicesA(0, device));
    EXPECT_FALSE(device.empty());
    DisplayModeRecord mode;
    ASSERT_TRUE(desktop.EnumDisplaySettingsA(device, mode));
    EXPECT_EQ(mode.pelsWidth, static_cast<std::uint32_t>(GetSystemMetrics(SM_CXSCREEN)));
    EXPECT_EQ(mode.pelsHeight, static_cast<std::uint32_t>(GetSystemMetrics(SM_CYSCREEN)));
    std::string untouched = "none";
    EXPECT_FALSE(desktop.EnumDisplayDevicesA(64, untouched));
}

TEST(Win32Desktop, TaskbarQueryGivesARectangleOnTheScreen) {
    Win32Desktop desktop;
    ScreenRect rect{-1, -1, -1, -1};
    ASSERT_TRUE(desktop.SHAppBarGetTaskbarPos(rect));
    EXPECT_LT(rect.left, rect.right);
    EXPECT_LT(rect.top, rect.bottom);
}

// --- The hook chain -------------------------------------------------------------

// What the window's own (Unicode) procedure saw.
struct ProcedureLog {
    std::vector<std::string> order;
    std::wstring lastText;
};
constexpr UINT kEcho = WM_APP + 7;

// The log travels in the window's user data.
LRESULT CALLBACK UnicodeProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* procedureLog = reinterpret_cast<ProcedureLog*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (procedureLog != nullptr && (message == WM_SETTEXT || message == kEcho)) {
        procedureLog->order.push_back("procedure");
        if (message == WM_SETTEXT) {
            procedureLog->lastText = reinterpret_cast<const wchar_t*>(lParam);
            return 1234;
        }
        return static_cast<LRESULT>(wParam * 3) + lParam;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

class RecordingHook final : public WindowMessageHook {
public:
    RecordingHook(DesktopWindowing& desktop, std::string name, ProcedureLog& log)
        : desktop_(desktop), name_(std::move(name)), log_(log) {}
    virtual ~RecordingHook() = default;

    std::intptr_t OnHookedMessage(WindowHandle window, std::uint32_t message,
                                  std::uintptr_t wParam, std::intptr_t lParam) override {
        if (message == WM_SETTEXT || message == kEcho) log_.order.push_back(name_);
        return desktop_.CallWindowProcedure(previous, window, message, wParam, lParam);
    }

    WindowProcedure previous = 0;

private:
    DesktopWindowing& desktop_;
    std::string name_;
    ProcedureLog& log_;
};

class HookChain : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(window_.hwnd(), nullptr);
        SetWindowLongPtrW(window_.hwnd(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&log_));
    }

    ProcedureLog log_;
    Win32Desktop desktop_;
    LocalWindow window_{L"VarnothHookedUnicode", UnicodeProcedure};
};

TEST_F(HookChain, PassesMessagesUnchangedToAUnicodeProcedureAndReturnsItsResult) {
    RecordingHook hook(desktop_, "hook", log_);
    hook.previous = desktop_.HookWindowProcedure(window_.handle(), hook);
    ASSERT_NE(hook.previous, 0u);

    EXPECT_EQ(SendMessageW(window_.hwnd(), WM_SETTEXT, 0,
                           reinterpret_cast<LPARAM>(L"中文标题 ✓")),
              1234);
    EXPECT_EQ(log_.lastText, L"中文标题 ✓");
    EXPECT_EQ(SendMessageW(window_.hwnd(), kEcho, 5, -2), 13);
    EXPECT_EQ(log_.order, (std::vector<std::string>{"hook", "procedure", "hook", "procedure"}));
}

TEST_F(HookChain, NewestHookSeesMessagesFirstAndEachComesOutOnItsOwn) {
    RecordingHook inner(desktop_, "inner", log_);
    RecordingHook outer(desktop_, "outer", log_);
    inner.previous = desktop_.HookWindowProcedure(window_.handle(), inner);
    outer.previous = desktop_.HookWindowProcedure(window_.handle(), outer);
    ASSERT_NE(inner.previous, 0u);
    ASSERT_NE(outer.previous, 0u);

    SendMessageW(window_.hwnd(), kEcho, 1, 1);
    EXPECT_EQ(log_.order, (std::vector<std::string>{"outer", "inner", "procedure"}));

    log_.order.clear();
    EXPECT_TRUE(desktop_.UnhookWindowProcedure(window_.handle(), inner, inner.previous));
    EXPECT_EQ(SendMessageW(window_.hwnd(), kEcho, 2, 1), 7);
    EXPECT_EQ(log_.order, (std::vector<std::string>{"outer", "procedure"}));

    EXPECT_FALSE(desktop_.UnhookWindowProcedure(window_.handle(), inner, inner.previous))
        << "a hook that is not installed cannot be removed";
    EXPECT_TRUE(desktop_.UnhookWindowProcedure(window_.handle(), outer, outer.previous));
    log_.order.clear();
    SendMessageW(window_.hwnd(), kEcho, 0, 0);
    EXPECT_EQ(log_.order, (std::vector<std::string>{"procedure"}));
}

TEST_F(HookChain, UnhookingAWindowThatIsGoneFails) {
    RecordingHook hook(desktop_, "hook", log_);
    hook.previous = desktop_.HookWindowProcedure(window_.handle(), hook);
    ASSERT_NE(hook.previous, 0u);
    const WindowHandle handle = window_.handle();
    window_.Destroy();
    EXPECT_FALSE(desktop_.UnhookWindowProcedure(handle, hook, hook.previous));
}

TEST(Win32Desktop, WindowsOfOtherProcessesOrNoWindowCannotBeHooked) {
    Win32Desktop desktop;
    ProcedureLog log;
    RecordingHook hook(desktop, "hook", log);
    EXPECT_EQ(desktop.HookWindowProcedure(0, hook), 0u);
    EXPECT_EQ(desktop.HookWindowProcedure(desktop.GetDesktopWindow(), hook), 0u);
}

}  // namespace
}  // namespace varnoth
