// varnoth.exe: start-up, message loop and shut-down.
#include <windows.h>

#include <commctrl.h>

#include <cstdlib>

#include "app/main_window.h"
#include "hotkeys/hotkey_registry.h"
#include "platform/win32_desktop.h"

namespace {

// The process's one hotkey registry, with the desktop it works on. It must
// outlive the window (the window's destruction still unregisters through it)
// and is released from the exit list once the message loop has ended.
struct ProcessHotkeys {
    varnoth::Win32Desktop desktop;
    varnoth::HotkeyRegistry registry{desktop};
};

ProcessHotkeys* processHotkeys = nullptr;

void ReleaseProcessHotkeys() {
    processHotkeys->registry.Destroy();
    delete processHotkeys;
    processHotkeys = nullptr;
}

int RunMessageLoop(const varnoth::MainWindow& mainWindow) {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (mainWindow.IsCloseKey(message)) {
            PostMessageW(mainWindow.Handle(), WM_CLOSE, 0, 0);
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // Load comctl32 version 6 (the manifest asks for it) so the button and
    // the group box are drawn with visual styles.
    INITCOMMONCONTROLSEX commonControls{sizeof(commonControls), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&commonControls);

    processHotkeys = new ProcessHotkeys;
    std::atexit(&ReleaseProcessHotkeys);

    if (!varnoth::MainWindow::RegisterWindowClass(instance)) {
        return 1;
    }
    varnoth::MainWindow mainWindow(processHotkeys->desktop, processHotkeys->registry);
    HWND window = mainWindow.Create(instance);
    if (window == nullptr) {
        return 1;
    }
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    return RunMessageLoop(mainWindow);
}
