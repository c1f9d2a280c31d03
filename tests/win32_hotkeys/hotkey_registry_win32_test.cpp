// The hotkey registry on the real desktop: a real window is hooked, the tile
// hotkey is registered system-wide, a key press made with SendInput while
// another window has the focus reaches the callback, every other message
// reaches the window's own procedure with its result, and after UnregisterAll
// the window has its procedure back and another process can take the hotkey.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "hotkeys/hotkey_registry.h"
#include "platform/win32_desktop.h"
#include "platform/win32_handles.h"
#include "tests/support/win32_test_support.h"

namespace varnoth {
namespace {

using win32_test::PressAltNumpad9;

constexpr char kTryRegisterArgument[] = "--try-register-alt-numpad9";
constexpr int kProbeRegistered = 0;
constexpr int kProbeRefused = 3;

constexpr char kTileHotkeyName[] = "\xBF\xEC\xBD\xDD\xBC\xFC";  // 快捷键
constexpr std::uint8_t kModAlt = MOD_ALT;
constexpr std::uint8_t kVkNumpad9 = VK_NUMPAD9;
constexpr UINT kEchoMessage = WM_APP + 7;
constexpr LRESULT kEchoResult = 0x4D2;

// What the window's own procedure saw.
struct OwnProcedureLog {
    std::vector<UINT> messages;
};
OwnProcedureLog* g_ownLog = nullptr;  // the window class's procedure has no other way in

LRESULT CALLBACK OwnProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (g_ownLog != nullptr && (message == WM_HOTKEY || message == kEchoMessage)) {
        g_ownLog->messages.push_back(message);
    }
    if (message == kEchoMessage) return kEchoResult + static_cast<LRESULT>(wParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

// A top-level window of this thread, destroyed with the object.
class TestWindow {
public:
    explicit TestWindow(const wchar_t* title) {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = OwnProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"VarnothHotkeyTestWindow";
        RegisterClassW(&windowClass);  // fails harmlessly when already registered
        handle_ = CreateWindowExW(0, windowClass.lpszClassName, title, WS_OVERLAPPEDWINDOW,
                                  100, 100, 300, 200, nullptr, nullptr, windowClass.hInstance,
                                  nullptr);
        if (handle_ != nullptr) {
            ShowWindow(handle_, SW_SHOW);
            UpdateWindow(handle_);
        }
    }
    ~TestWindow() {
        if (handle_ != nullptr) DestroyWindow(handle_);
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND Hwnd() const { return handle_; }
    WindowHandle Handle() const { return FromHwnd(handle_); }

private:
    HWND handle_ = nullptr;
};

struct HotkeyCall {
    std::int32_t id;
    std::uint32_t modifiers;
    std::uint32_t key;
};

void RecordCall(void* context, std::int32_t id, std::uint32_t modifiers, std::uint32_t key) {
    static_cast<std::vector<HotkeyCall>*>(context)->push_back({id, modifiers, key});
}

// Dispatches this thread's messages for `milliseconds`, or until `done` says so.
template <typename Done>
void PumpMessages(int milliseconds, Done done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < deadline && !done()) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// Runs this program again with kTryRegisterArgument; its exit code.
DWORD ProbeInAnotherProcess() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring commandLine = L"\"";
    commandLine += path;
    commandLine += L"\" ";
    for (const char* c = kTryRegisterArgument; *c != '\0'; ++c) commandLine += static_cast<wchar_t>(*c);

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return 0xFFFFFFFF;
    }
    DWORD exitCode = 0xFFFFFFFE;
    if (WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process.hProcess, &exitCode);
    } else {
        TerminateProcess(process.hProcess, 0xFFFFFFFD);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode;
}

class Win32HotkeyRegistryTest : public testing::Test {
protected:
    void SetUp() override {
        g_ownLog = &ownLog;
        ASSERT_NE(window.Hwnd(), nullptr);
        ASSERT_NE(otherWindow.Hwnd(), nullptr);
        ownProcedure = GetWindowLongPtrW(window.Hwnd(), GWLP_WNDPROC);
    }
    void TearDown() override {
        registry.Destroy();
        g_ownLog = nullptr;
    }

    OwnProcedureLog ownLog;
    TestWindow window{L"Varnoth hotkey test"};
    TestWindow otherWindow{L"Another program"};
    LONG_PTR ownProcedure = 0;
    Win32Desktop desktop;
    HotkeyRegistry registry{desktop};
    std::vector<HotkeyCall> calls;
};

TEST_F(Win32HotkeyRegistryTest, AltNumpad9FromAnotherWindowReachesTheCallbackOnce) {
    ASSERT_TRUE(registry.Attach(window.Handle()));
    ASSERT_EQ(registry.Register(kTileHotkeyName, kModAlt, kVkNumpad9,
                                HotkeyCallback{&RecordCall, &calls}),
              1);
    // Held system-wide: another process is refused the combination.
    EXPECT_EQ(ProbeInAnotherProcess(), static_cast<DWORD>(kProbeRefused));

    SetForegroundWindow(otherWindow.Hwnd());
    SetFocus(otherWindow.Hwnd());
    PumpMessages(200, [] { return false; });
    EXPECT_EQ(GetForegroundWindow(), otherWindow.Hwnd());

    ASSERT_EQ(PressAltNumpad9(), 4u);
    PumpMessages(3000, [&] { return !calls.empty(); });
    PumpMessages(300, [] { return false; });  // a second delivery would show up here

    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].id, 1);
    EXPECT_EQ(calls[0].modifiers, 1u);
    EXPECT_EQ(calls[0].key, 0x69u);
    // The hotkey message went on to the window's own procedure as well.
    EXPECT_EQ(ownLog.messages, std::vector<UINT>{WM_HOTKEY});
}

TEST_F(Win32HotkeyRegistryTest, OtherMessagesReachTheOwnProcedureWithTheirResult) {
    ASSERT_TRUE(registry.Attach(window.Handle()));
    ASSERT_NE(GetWindowLongPtrW(window.Hwnd(), GWLP_WNDPROC), 0);
    registry.Register(kTileHotkeyName, kModAlt, kVkNumpad9, HotkeyCallback{&RecordCall, &calls});

    EXPECT_EQ(SendMessageW(window.Hwnd(), kEchoMessage, 5, 0), kEchoResult + 5);
    // WM_HOTKEY with an id the registry does not know: no call, passed on.
    EXPECT_EQ(SendMessageW(window.Hwnd(), WM_HOTKEY, 42, 0), 0);
    // The registry's own id, sent directly: one call with the entry's values.
    SendMessageW(window.Hwnd(), WM_HOTKEY, 1, 0);

    EXPECT_EQ(ownLog.messages, (std::vector<UINT>{kEchoMessage, WM_HOTKEY, WM_HOTKEY}));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].id, 1);
    EXPECT_EQ(calls[0].key, 0x69u);
}

TEST_F(Win32HotkeyRegistryTest, UnregisterAllPutsTheProcedureBackAndFreesTheHotkey) {
    ASSERT_TRUE(registry.Attach(window.Handle()));
    EXPECT_NE(GetWindowLongPtrW(window.Hwnd(), GWLP_WNDPROC), ownProcedure);
    ASSERT_EQ(registry.Register(kTileHotkeyName, kModAlt, kVkNumpad9,
                                HotkeyCallback{&RecordCall, &calls}),
              1);
    registry.UnregisterAll();

    EXPECT_EQ(GetWindowLongPtrW(window.Hwnd(), GWLP_WNDPROC), ownProcedure);
    EXPECT_EQ(SendMessageW(window.Hwnd(), kEchoMessage, 1, 0), kEchoResult + 1);
    EXPECT_EQ(ProbeInAnotherProcess(), static_cast<DWORD>(kProbeRegistered));
    // This process can take it again, and ids start at 1 again.
    EXPECT_EQ(registry.Register(kTileHotkeyName, kModAlt, kVkNumpad9, {}), 1);
}

TEST_F(Win32HotkeyRegistryTest, RegistrationHeldByAnotherProgramIsRefused) {
    ASSERT_TRUE(registry.Attach(window.Handle()));
    // Held by this process on another window: the platform refuses it the same way.
    ASSERT_TRUE(RegisterHotKey(otherWindow.Hwnd(), 77, MOD_ALT, VK_NUMPAD9));
    EXPECT_EQ(registry.Register(kTileHotkeyName, kModAlt, kVkNumpad9, {}), 0);
    EXPECT_EQ(registry.Count(), 0);
    UnregisterHotKey(otherWindow.Hwnd(), 77);
    EXPECT_EQ(registry.Register(kTileHotkeyName, kModAlt, kVkNumpad9, {}), 1);
}

TEST(Win32HotkeyRegistryLifetimeTest, DestructorUnhooksALiveWindow) {
    TestWindow window(L"Varnoth hotkey lifetime");
    ASSERT_NE(window.Hwnd(), nullptr);
    const LONG_PTR ownProcedure = GetWindowLongPtrW(window.Hwnd(), GWLP_WNDPROC);
    Win32Desktop desktop;
    {
        HotkeyRegistry registry(desktop);
        ASSERT_TRUE(registry.Attach(window.Handle()));
    }
    EXPECT_EQ(GetWindowLongPtrW(window.Hwnd(), GWLP_WNDPROC), ownProcedure);
    EXPECT_EQ(SendMessageW(window.Hwnd(), kEchoMessage, 2, 0), kEchoResult + 2);
}

}  // namespace
}  // namespace varnoth

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], varnoth::kTryRegisterArgument) == 0) {
        const bool registered = RegisterHotKey(nullptr, 1, MOD_ALT, VK_NUMPAD9) != FALSE;
        if (registered) UnregisterHotKey(nullptr, 1);
        return registered ? varnoth::kProbeRegistered : varnoth::kProbeRefused;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
