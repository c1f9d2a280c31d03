#include "platform/simulated_desktop.h"

#include <algorithm>
#include <cstring>

namespace varnoth {

namespace {

// Where Windows parks a minimised top-level window, and the size it gives it.
constexpr ScreenRect kIconicRect{-32000, -32000, -32000 + 160, -32000 + 28};

// Copies `text` into a caller's buffer as the A functions do: cut to size - 1
// bytes and zero-terminated; returns the bytes written without the zero.
int CopyOut(std::string_view text, char* buffer, int size) {
    if (buffer == nullptr || size <= 0) return 0;
    const auto n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}

}  // namespace

std::string_view NameOf(DesktopCall call) {
    switch (call) {
        case DesktopCall::GetDesktopWindow: return "GetDesktopWindow";
        case DesktopCall::EnumChildWindows: return "EnumChildWindows";
        case DesktopCall::GetClassNameA: return "GetClassNameA";
        case DesktopCall::GetWindowTextLengthA: return "GetWindowTextLengthA";
        case DesktopCall::GetWindowTextA: return "GetWindowTextA";
        case DesktopCall::IsIconic: return "IsIconic";
        case DesktopCall::IsZoomed: return "IsZoomed";
        case DesktopCall::RestoresToMaximized: return "RestoresToMaximized";
        case DesktopCall::CloseWindow: return "CloseWindow";
        case DesktopCall::OpenIcon: return "OpenIcon";
        case DesktopCall::ShowWindow: return "ShowWindow";
        case DesktopCall::GetWindowRect: return "GetWindowRect";
        case DesktopCall::MoveWindow: return "MoveWindow";
        case DesktopCall::IsWindowResponding: return "IsWindowResponding";
        case DesktopCall::ShowWindowAsync: return "ShowWindowAsync";
        case DesktopCall::SetWindowPosAsync: return "SetWindowPosAsync";
        case DesktopCall::GetSystemMetrics: return "GetSystemMetrics";
        case DesktopCall::SHAppBarGetTaskbarPos: return "SHAppBarGetTaskbarPos";
        case DesktopCall::EnumDisplayDevicesA: return "EnumDisplayDevicesA";
        case DesktopCall::EnumDisplaySettingsA: return "EnumDisplaySettingsA";
        case DesktopCall::RegisterHotKey: return "RegisterHotKey";
        case DesktopCall::UnregisterHotKey: return "UnregisterHotKey";
        case DesktopCall::HookWindowProcedure: return "HookWindowProcedure";
        case DesktopCall::UnhookWindowProcedure: return "UnhookWindowProcedure";
        case DesktopCall::CallWindowProcedure: return "CallWindowProcedure";
    }
    return "?";
}

SimulatedDesktop::SimulatedDesktop() {
    layers_.emplace_back();  // token 0 stands for "no procedure"
    SetScreenSize(1920, 1080);
    taskbar_ = ScreenRect{0, 1040, 1920, 1080};
}

// --- Building the scene -----------------------------------------------------

WindowHandle SimulatedDesktop::AddWindow(const NewWindow& shape) {
    const WindowHandle handle = nextHandle_;
    nextHandle_ += 4;  // real handles are spaced too; no two ever collide
    Window& window = windows_[handle];
    window.handle = handle;
    window.parent = (shape.parent != 0 && Exists(shape.parent)) ? shape.parent : 0;
    window.className = shape.className;
    window.title = shape.title;
    window.normalRect = shape.rect;
    window.state = shape.state;
    window.restoresToMaximized = shape.restoresToMaximized;
    switch (shape.state) {
        case WindowState::Normal: window.rect = shape.rect; break;
        case WindowState::Minimized: window.rect = kIconicRect; break;
        case WindowState::Maximized: window.rect = MaximizedRect(); break;
    }
    layers_.push_back(ProcedureLayer{handle, nullptr, 0, false});
    window.frontLayer = layers_.size() - 1;
    if (window.parent == 0) {
        topLevel_.insert(topLevel_.begin(), handle);
    } else {
        windows_[window.parent].children.push_back(handle);
    }
    return handle;
}

WindowHandle SimulatedDesktop::AddWindow(std::string_view className, std::string_view title,
                                         WindowHandle parent) {
    NewWindow shape;
    shape.className = std::string(className);
    shape.title = std::string(title);
    shape.parent = parent;
    return AddWindow(shape);
}

void SimulatedDesktop::RemoveWindow(WindowHandle handle) {
    Window* window = Find(handle);
    if (window == nullptr) return;
    const std::vector<WindowHandle> children = window->children;
    for (WindowHandle child : children) RemoveWindow(child);
    auto& siblings = window->parent == 0 ? topLevel_ : windows_[window->parent].children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), handle), siblings.end());
    std::erase_if(hotkeys_, [handle](const Hotkey& h) { return h.window == handle; });
    for (ProcedureLayer& layer : layers_) {
        if (layer.window == handle) layer.removed = true;
    }
    windows_.erase(handle);
}

void SimulatedDesktop::SetTitle(WindowHandle window, std::string_view title) {
    if (Window* w = Find(window)) w->title = std::string(title);
}

void SimulatedDesktop::SetClassName(WindowHandle window, std::string_view className) {
    if (Window* w = Find(window)) w->className = std::string(className);
}

bool SimulatedDesktop::Exists(WindowHandle window) const { return Find(window) != nullptr; }

void SimulatedDesktop::SetScreenSize(int width, int height) {
    screenWidth_ = width;
    screenHeight_ = height;
    DisplayModeRecord mode{32, static_cast<std::uint32_t>(width),
                           static_cast<std::uint32_t>(height), 60};
    if (displays_.empty()) {
        displays_.push_back(Display{"\\\\.\\DISPLAY1", mode, true});
    } else {
        displays_[0].mode = mode;
    }
}

void SimulatedDesktop::SetTaskbarRect(std::optional<ScreenRect> rect) { taskbar_ = rect; }

void SimulatedDesktop::SetDisplays(std::vector<Display> displays) { displays_ = std::move(displays); }

void SimulatedDesktop::SetResponding(WindowHandle handle, bool responding) {
    Window* window = Find(handle);
    if (window == nullptr) return;
    window->responding = responding;
    if (responding) ApplyPending(*window);
}

void SimulatedDesktop::SetFailing(DesktopCall call, bool failing, WindowHandle window) {
    if (failing) {
        failing_.insert({call, window});
    } else {
        failing_.erase({call, window});
    }
}

// --- Inspecting ---------------------------------------------------------------

WindowState SimulatedDesktop::StateOf(WindowHandle window) const {
    const Window* w = Find(window);
    return w ? w->state : WindowState::Normal;
}

ScreenRect SimulatedDesktop::RectOf(WindowHandle window) const {
    const Window* w = Find(window);
    return w ? w->rect : ScreenRect{};
}

std::vector<DesktopCall> SimulatedDesktop::CallsOn(WindowHandle window) const {
    std::vector<DesktopCall> result;
    for (const RecordedCall& c : calls_) {
        if (c.window == window) result.push_back(c.call);
    }
    return result;
}

int SimulatedDesktop::CountOf(DesktopCall call) const {
    return callCounts_[static_cast<std::size_t>(call)];
}

void SimulatedDesktop::ClearCalls() {
    calls_.clear();
    std::fill(callCounts_.begin(), callCounts_.end(), 0);
}

// --- Internals ----------------------------------------------------------------

bool SimulatedDesktop::Record(DesktopCall call, WindowHandle window, std::int64_t a,
                              std::int64_t b, std::int64_t c, std::int64_t d) {
    const RecordedCall record{call, window, {a, b, c, d}};
    ++callCounts_[static_cast<std::size_t>(call)];
    if (logging_) calls_.push_back(record);
    if (observer_) observer_(record);
    // false: this call is to fail, as asked by the test
    if (failing_.empty()) return true;
    return !(failing_.count({call, 0}) != 0 || (window != 0 && failing_.count({call, window}) != 0));
}

SimulatedDesktop::Window* SimulatedDesktop::Find(WindowHandle window) {
    auto it = windows_.find(window);
    return it == windows_.end() ? nullptr : &it->second;
}

const SimulatedDesktop::Window* SimulatedDesktop::Find(WindowHandle window) const {
    auto it = windows_.find(window);
    return it == windows_.end() ? nullptr : &it->second;
}

void SimulatedDesktop::NoteBlocking(const Window& window) {
    if (!window.responding) ++blockingCalls_;
}

ScreenRect SimulatedDesktop::MaximizedRect() const {
    // A maximised window fills the work area, its frame hanging over the edges.
    const int bottom = taskbar_ && taskbar_->top > 0 && taskbar_->left <= 0 &&
                               taskbar_->right >= screenWidth_
                           ? taskbar_->top
                           : screenHeight_;
    return ScreenRect{-8, -8, screenWidth_ + 8, bottom + 8};
}

void SimulatedDesktop::BringToTop(Window& window) {
    if (window.parent != 0) return;
    auto it = std::find(topLevel_.begin(), topLevel_.end(), window.handle);
    if (it != topLevel_.end()) std::rotate(topLevel_.begin(), it, it + 1);
}

void SimulatedDesktop::Minimize(Window& window) {
    if (window.state == WindowState::Minimized) return;
    window.restoresToMaximized = window.state == WindowState::Maximized;
    window.state = WindowState::Minimized;
    window.rect = kIconicRect;
}

// SW_RESTORE / SW_SHOWNORMAL: a minimised window comes back as it was before
// (maximised again if it was maximised); a maximised one becomes normal.
void SimulatedDesktop::Restore(Window& window) {
    if (window.state == WindowState::Minimized && window.restoresToMaximized) {
        window.state = WindowState::Maximized;
        window.rect = MaximizedRect();
    } else if (window.state != WindowState::Normal) {
        window.state = WindowState::Normal;
        window.rect = window.normalRect;
    }
    BringToTop(window);
}

void SimulatedDesktop::ApplyPending(Window& window) {
    const std::vector<PendingAsync> pending = std::move(window.pending);
    window.pending.clear();
    for (const PendingAsync& p : pending) {
        if (p.isShow) {
            Restore(window);
        } else {
            window.rect = ScreenRect{p.x, p.y, p.x + p.width, p.y + p.height};
            if (window.state == WindowState::Normal) window.normalRect = window.rect;
        }
    }
}

void SimulatedDesktop::EnumDescendants(const std::vector<WindowHandle>& windows,
                                       EnumWindowsCallback callback, void* context, bool& go_on) {
    // Walk a snapshot: the callback may change the scene, as it may on Windows.
    const std::vector<WindowHandle> snapshot = windows;
    for (WindowHandle handle : snapshot) {
        if (!go_on) return;
        if (!Exists(handle)) continue;
        go_on = callback(handle, context);
        if (!go_on) return;
        if (const Window* w = Find(handle); w && !w->children.empty()) {
            EnumDescendants(w->children, callback, context, go_on);
        }
    }
}

// --- DesktopWindowing ---------------------------------------------------------

WindowHandle SimulatedDesktop::GetDesktopWindow() {
    Record(DesktopCall::GetDesktopWindow, 0);
    return desktop_;
}

void SimulatedDesktop::EnumChildWindows(WindowHandle parent, EnumWindowsCallback callback,
                                        void* context) {
    if (!Record(DesktopCall::EnumChildWindows, parent) || callback == nullptr) return;
    bool go_on = true;
    if (parent == desktop_) {
        EnumDescendants(topLevel_, callback, context, go_on);
    } else if (const Window* w = Find(parent)) {
        EnumDescendants(w->children, callback, context, go_on);
    }
}

int SimulatedDesktop::GetClassNameA(WindowHandle window, char* buffer, int size) {
    if (!Record(DesktopCall::GetClassNameA, window, size)) return 0;
    const Window* w = Find(window);
    return w ? CopyOut(w->className, buffer, size) : 0;
}

int SimulatedDesktop::GetWindowTextLengthA(WindowHandle window) {
    if (!Record(DesktopCall::GetWindowTextLengthA, window)) return 0;
    const Window* w = Find(window);
    return w ? static_cast<int>(w->title.size()) : 0;
}

int SimulatedDesktop::GetWindowTextA(WindowHandle window, char* buffer, int size) {
    if (!Record(DesktopCall::GetWindowTextA, window, size)) return 0;
    const Window* w = Find(window);
    // Another process's title is read without a message: never blocks.
    return w ? CopyOut(w->title, buffer, size) : 0;
}

bool SimulatedDesktop::IsIconic(WindowHandle window) {
    if (!Record(DesktopCall::IsIconic, window)) return false;
    const Window* w = Find(window);
    return w && w->state == WindowState::Minimized;
}

bool SimulatedDesktop::IsZoomed(WindowHandle window) {
    if (!Record(DesktopCall::IsZoomed, window)) return false;
    const Window* w = Find(window);
    return w && w->state == WindowState::Maximized;
}

bool SimulatedDesktop::RestoresToMaximized(WindowHandle window) {
    if (!Record(DesktopCall::RestoresToMaximized, window)) return false;
    const Window* w = Find(window);
    return w && w->state == WindowState::Minimized && w->restoresToMaximized;
}

bool SimulatedDesktop::CloseWindow(WindowHandle window) {
    if (!Record(DesktopCall::CloseWindow, window)) return false;
    Window* w = Find(window);
    if (w == nullptr) return false;
    NoteBlocking(*w);
    Minimize(*w);
    return true;
}

bool SimulatedDesktop::OpenIcon(WindowHandle window) {
    if (!Record(DesktopCall::OpenIcon, window)) return false;
    Window* w = Find(window);
    if (w == nullptr || w->state != WindowState::Minimized) return false;
    NoteBlocking(*w);
    Restore(*w);
    return true;
}

bool SimulatedDesktop::ShowWindow(WindowHandle window, ShowCommand command) {
    if (!Record(DesktopCall::ShowWindow, window, static_cast<int>(command))) return false;
    Window* w = Find(window);
    if (w == nullptr) return false;
    NoteBlocking(*w);
    Restore(*w);
    return true;  // every simulated window was visible before
}

bool SimulatedDesktop::GetWindowRect(WindowHandle window, ScreenRect& rect) {
    if (!Record(DesktopCall::GetWindowRect, window)) return false;
    const Window* w = Find(window);
    if (w == nullptr) return false;
    rect = w->rect;
    return true;
}

bool SimulatedDesktop::MoveWindow(WindowHandle window, int x, int y, int width, int height,
                                  bool repaint) {
    // Repaint only changes what is drawn, which the simulation does not model.
    static_cast<void>(repaint);
    if (!Record(DesktopCall::MoveWindow, window, x, y, width, height)) return false;
    Window* w = Find(window);
    if (w == nullptr) return false;
    NoteBlocking(*w);
    const ScreenRect target{x, y, x + width, y + height};
    if (w->state == WindowState::Minimized) {
        w->normalRect = target;  // takes effect when it is restored
    } else {
        // A maximised window keeps its maximised style, as on Windows.
        w->rect = target;
        if (w->state == WindowState::Normal) w->normalRect = target;
    }
    return true;
}

bool SimulatedDesktop::IsWindowResponding(WindowHandle window, std::uint32_t timeoutMs) {
    if (!Record(DesktopCall::IsWindowResponding, window, timeoutMs)) return false;
    const Window* w = Find(window);
    return w && w->responding;
}

bool SimulatedDesktop::ShowWindowAsync(WindowHandle window, ShowCommand command) {
    if (!Record(DesktopCall::ShowWindowAsync, window, static_cast<int>(command))) return false;
    Window* w = Find(window);
    if (w == nullptr) return false;
    w->pending.push_back(PendingAsync{true, command});
    if (w->responding) ApplyPending(*w);
    return true;
}

bool SimulatedDesktop::SetWindowPosAsync(WindowHandle window, int x, int y, int width,
                                         int height) {
    if (!Record(DesktopCall::SetWindowPosAsync, window, x, y, width, height)) return false;
    Window* w = Find(window);
    if (w == nullptr) return false;
    w->pending.push_back(PendingAsync{false, ShowCommand::Restore, x, y, width, height});
    if (w->responding) ApplyPending(*w);
    return true;
}

int SimulatedDesktop::GetSystemMetrics(int index) {
    if (!Record(DesktopCall::GetSystemMetrics, 0, index)) return 0;
    if (index == kSmCxScreen) return screenWidth_;
    if (index == kSmCyScreen) return screenHeight_;
    return 0;
}

bool SimulatedDesktop::SHAppBarGetTaskbarPos(ScreenRect& rect) {
    if (!Record(DesktopCall::SHAppBarGetTaskbarPos, 0) || !taskbar_) return false;
    rect = *taskbar_;
    return true;
}

bool SimulatedDesktop::EnumDisplayDevicesA(std::uint32_t index, std::string& deviceName) {
    if (!Record(DesktopCall::EnumDisplayDevicesA, 0, index) || index >= displays_.size()) return false;
    deviceName = displays_[index].deviceName;
    return true;
}

bool SimulatedDesktop::EnumDisplaySettingsA(std::string_view deviceName, DisplayModeRecord& mode) {
    if (!Record(DesktopCall::EnumDisplaySettingsA, 0)) return false;
    for (const Display& d : displays_) {
        if (d.deviceName == deviceName) {
            if (!d.answersSettings) return false;
            mode = d.mode;
            return true;
        }
    }
    return false;
}

bool SimulatedDesktop::RegisterHotKey(WindowHandle window, std::int32_t id,
                                      std::uint32_t modifiers, std::uint32_t virtualKey) {
    if (!Record(DesktopCall::RegisterHotKey, window, id, modifiers, virtualKey)) return false;
    if (window != 0 && !Exists(window)) return false;
    if (IsHotkeyRegistered(modifiers, virtualKey)) return false;
    hotkeys_.push_back(Hotkey{window, id, modifiers, virtualKey});
    return true;
}

bool SimulatedDesktop::UnregisterHotKey(WindowHandle window, std::int32_t id) {
    if (!Record(DesktopCall::UnregisterHotKey, window, id)) return false;
    auto it = std::find_if(hotkeys_.begin(), hotkeys_.end(), [&](const Hotkey& h) {
        return h.window == window && h.id == id;
    });
    if (it == hotkeys_.end()) return false;
    hotkeys_.erase(it);
    return true;
}

WindowProcedure SimulatedDesktop::HookWindowProcedure(WindowHandle window,
                                                      WindowMessageHook& hook) {
    if (!Record(DesktopCall::HookWindowProcedure, window)) return 0;
    Window* w = Find(window);
    if (w == nullptr) return 0;
    const std::size_t previous = w->frontLayer;
    layers_.push_back(ProcedureLayer{window, &hook, previous, false});
    w->frontLayer = layers_.size() - 1;
    return previous;
}

bool SimulatedDesktop::UnhookWindowProcedure(WindowHandle window, WindowMessageHook& hook,
                                             WindowProcedure previous) {
    if (!Record(DesktopCall::UnhookWindowProcedure, window, static_cast<std::int64_t>(previous)))
        return false;
    Window* w = Find(window);
    if (w == nullptr) return false;
    // Take the hook out wherever it stands in the chain, as subclassing does:
    // hooks installed after it keep working and now pass straight to its
    // predecessor.
    for (std::size_t i = w->frontLayer; i != 0; i = layers_[i].below) {
        ProcedureLayer& layer = layers_[i];
        if (layer.hook == &hook && !layer.removed) {
            layer.removed = true;
            if (w->frontLayer == i) w->frontLayer = layer.below;
            for (ProcedureLayer& other : layers_) {
                if (other.window == window && other.below == i) other.below = layer.below;
            }
            return true;
        }
        if (layer.hook == nullptr) break;
    }
    return false;
}

std::intptr_t SimulatedDesktop::Dispatch(std::size_t index, WindowHandle window,
                                         std::uint32_t message, std::uintptr_t wParam,
                                         std::intptr_t lParam) {
    // A removed hook passes on to what was below it.
    while (index != 0 && index < layers_.size() && layers_[index].removed &&
           layers_[index].hook != nullptr) {
        index = layers_[index].below;
    }
    if (index == 0 || index >= layers_.size()) return 0;
    const ProcedureLayer layer = layers_[index];
    if (layer.hook != nullptr) return layer.hook->OnHookedMessage(window, message, wParam, lParam);
    if (layer.removed || !Exists(layer.window)) return 0;
    const Procedure procedure = windows_[layer.window].procedure;  // may be replaced during the call
    return procedure ? procedure(window, message, wParam, lParam) : 0;
}

std::intptr_t SimulatedDesktop::CallWindowProcedure(WindowProcedure previous, WindowHandle window,
                                                    std::uint32_t message,
                                                    std::uintptr_t wParam, std::intptr_t lParam) {
    if (!Record(DesktopCall::CallWindowProcedure, window, static_cast<std::int64_t>(previous),
                message))
        return 0;
    return Dispatch(previous, window, message, wParam, lParam);
}

// --- Procedures and hotkeys -----------------------------------------------------

void SimulatedDesktop::SetWindowProcedure(WindowHandle window, Procedure procedure) {
    if (Window* w = Find(window)) w->procedure = std::move(procedure);
}

WindowProcedure SimulatedDesktop::FrontProcedure(WindowHandle window) const {
    const Window* w = Find(window);
    return w ? w->frontLayer : 0;
}

std::intptr_t SimulatedDesktop::DeliverMessage(WindowHandle window, std::uint32_t message,
                                               std::uintptr_t wParam, std::intptr_t lParam) {
    const Window* w = Find(window);
    if (w == nullptr) return 0;
    return Dispatch(w->frontLayer, window, message, wParam, lParam);
}

bool SimulatedDesktop::PressHotkey(std::uint32_t modifiers, std::uint32_t virtualKey) {
    for (const Hotkey& h : hotkeys_) {
        if (h.modifiers == modifiers && h.virtualKey == virtualKey) {
            if (h.window == 0 || !Exists(h.window)) return false;  // to the thread's queue
            const auto lParam = static_cast<std::intptr_t>((virtualKey << 16) | (modifiers & 0xFFFF));
            DeliverMessage(h.window, kWmHotkey, static_cast<std::uintptr_t>(h.id), lParam);
            return true;
        }
    }
    return false;
}

void SimulatedDesktop::HoldHotkeyElsewhere(std::uint32_t modifiers, std::uint32_t virtualKey,
                                           bool held) {
    if (held) {
        heldElsewhere_.insert({modifiers, virtualKey});
    } else {
        heldElsewhere_.erase({modifiers, virtualKey});
    }
}

bool SimulatedDesktop::IsHotkeyRegistered(std::uint32_t modifiers, std::uint32_t virtualKey) const {
    if (heldElsewhere_.count({modifiers, virtualKey}) != 0) return true;
    return std::any_of(hotkeys_.begin(), hotkeys_.end(), [&](const Hotkey& h) {
        return h.modifiers == modifiers && h.virtualKey == virtualKey;
    });
}

}  // namespace varnoth
