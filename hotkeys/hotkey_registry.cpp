#include "hotkeys/hotkey_registry.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <utility>

#include "hotkeys/ansi_text.h"
#include "hotkeys/hotkey_text.h"

namespace varnoth {

namespace {

template <typename Matches>
std::ptrdiff_t IndexOfFirst(const std::vector<HotkeyEntry>& entries, Matches matches) {
    const auto found = std::find_if(entries.begin(), entries.end(), matches);
    return found == entries.end() ? -1 : found - entries.begin();
}

}  // namespace

HotkeyRegistry::HotkeyRegistry(DesktopWindowing& desktop) : desktop_(desktop) {}

HotkeyRegistry::HotkeyRegistry(const HotkeyRegistry& source, CopyOf)
    : desktop_(source.desktop_),
      entries_(source.entries_),
      lastId_(source.lastId_),
      window_(source.window_),
      holdsHook_(false),
      previousProcedure_(source.previousProcedure_),
      isCopy_(true) {}

HotkeyRegistry::~HotkeyRegistry() { ReleaseAll(/*unregisterHotkeys=*/!isCopy_); }

void HotkeyRegistry::Destroy() {
    UnregisterAll();
    entries_.clear();
}

std::unique_ptr<HotkeyRegistry> HotkeyRegistry::Copy() const {
    return std::unique_ptr<HotkeyRegistry>(new HotkeyRegistry(*this, CopyOf{}));
}

std::intptr_t HotkeyRegistry::HandleWindowMessage(WindowHandle window, std::uint32_t message,
                                                  std::uintptr_t wParam, std::intptr_t lParam) {
    if (message == kWmHotkey) {
        // A callback may add or remove entries: walk the positions that existed
        // when the message arrived, re-check the bound at every step, and copy
        // what the call needs before making it.
        const std::size_t arrived = entries_.size();
        for (std::size_t position = 0; position < arrived && position < entries_.size();
             ++position) {
            const HotkeyEntry& entry = entries_[position];
            if (static_cast<std::uintptr_t>(static_cast<std::uint32_t>(entry.id)) != wParam) {
                continue;
            }
            const HotkeyCallback callback = entry.callback;
            const std::int32_t id = entry.id;
            const std::uint32_t modifiers = entry.modifiers;
            const std::uint32_t key = entry.key;
            if (!callback) continue;  // nothing to call: the press is passed on only
            callback.function(callback.context, id, modifiers, key);
        }
    }
    // Read now: a callback may have detached the registry, and the message
    // still belongs to the procedure that was in front before the hook.
    if (previousProcedure_ == 0) return 0;
    return desktop_.CallWindowProcedure(previousProcedure_, window, message, wParam, lParam);
}

std::intptr_t HotkeyRegistry::OnHookedMessage(WindowHandle window, std::uint32_t message,
                                              std::uintptr_t wParam,
                                              std::intptr_t lParam) noexcept {
    return HandleWindowMessage(window, message, wParam, lParam);
}

bool HotkeyRegistry::Attach(WindowHandle window) {
    if (window == 0) return false;
    if (holdsHook_) return window == window_;
    window_ = window;
    previousProcedure_ = desktop_.HookWindowProcedure(window, *this);
    holdsHook_ = previousProcedure_ != 0;
    return holdsHook_;
}

std::int32_t HotkeyRegistry::RegisterByText(std::string_view name, std::string_view hotkeyText,
                                            HotkeyCallback callback) {
    return RegisterCode(name, ParseHotkeyText(hotkeyText), callback);
}

std::int32_t HotkeyRegistry::RegisterByCode(std::string_view name, std::string_view code,
                                            HotkeyCallback callback) {
    return RegisterCode(name, code, callback);
}

std::int32_t HotkeyRegistry::RegisterCode(std::string_view name, std::string_view code,
                                          HotkeyCallback callback) {
    const std::vector<std::string_view> pieces = ansi::Split(ansi::UpToZero(code), ",");
    if (pieces.size() != 2) return 0;
    return Register(name, ansi::ReadByte(pieces[0]), ansi::ReadByte(pieces[1]), callback);
}

std::int32_t HotkeyRegistry::Register(std::string_view name, std::uint8_t modifiers,
                                      std::uint8_t key, HotkeyCallback callback) {
    // Ids only rise; once they are used up nothing more is registered until
    // UnregisterAll starts them again.
    if (lastId_ == std::numeric_limits<std::int32_t>::max()) return 0;
    const std::int32_t candidate = lastId_ + 1;
    if (!desktop_.RegisterHotKey(window_, candidate, modifiers, key)) return 0;
    lastId_ = candidate;
    entries_.push_back(HotkeyEntry{std::string(ansi::UpToZero(name)), modifiers, key, candidate,
                                   callback});
    return candidate;
}

bool HotkeyRegistry::IsRegistered(std::string_view name, bool unregister) {
    const std::string_view wanted = ansi::UpToZero(name);
    const std::ptrdiff_t index =
        IndexOfFirst(entries_, [&](const HotkeyEntry& entry) { return entry.name == wanted; });
    if (index < 0) return false;
    return unregister ? RemoveAt(index) : true;
}

std::int32_t HotkeyRegistry::Count() const { return static_cast<std::int32_t>(entries_.size()); }

void HotkeyRegistry::ListAll(std::vector<HotkeyEntry>& out) const {
    out.clear();
    out.insert(out.end(), entries_.begin(), entries_.end());
}

std::int32_t HotkeyRegistry::FindByName(std::string_view name, HotkeyEntry& found) const {
    const std::string_view wanted = ansi::UpToZero(name);
    const std::ptrdiff_t index =
        IndexOfFirst(entries_, [&](const HotkeyEntry& entry) { return entry.name == wanted; });
    if (index < 0) return -1;
    found = entries_[static_cast<std::size_t>(index)];
    return found.id;
}

std::int32_t HotkeyRegistry::FindById(std::int32_t id, HotkeyEntry& found) const {
    const std::ptrdiff_t index =
        IndexOfFirst(entries_, [&](const HotkeyEntry& entry) { return entry.id == id; });
    if (index < 0) return -1;
    found = entries_[static_cast<std::size_t>(index)];
    return found.id;
}

std::int32_t HotkeyRegistry::FindByKeys(std::uint8_t modifiers, std::uint8_t key,
                                        HotkeyEntry& found) const {
    const std::ptrdiff_t index = IndexOfFirst(entries_, [&](const HotkeyEntry& entry) {
        return entry.modifiers == modifiers && entry.key == key;
    });
    if (index < 0) return -1;
    found = entries_[static_cast<std::size_t>(index)];
    return found.id;
}

std::int32_t HotkeyRegistry::FindByCode(std::string_view code, HotkeyEntry& found) const {
    const std::ptrdiff_t index = IndexOfCode(code);
    if (index < 0) return -1;
    found = entries_[static_cast<std::size_t>(index)];
    return found.id;
}

std::ptrdiff_t HotkeyRegistry::IndexOfCode(std::string_view code) const {
    if (entries_.empty()) return -1;
    // A code text without both numbers names no hotkey, so it matches nothing.
    const std::vector<std::string_view> pieces = ansi::Split(ansi::UpToZero(code), ",");
    if (pieces.size() < 2) return -1;
    const std::uint8_t modifiers = ansi::ReadByte(pieces[0]);
    const std::uint8_t key = ansi::ReadByte(pieces[1]);
    return IndexOfFirst(entries_, [&](const HotkeyEntry& entry) {
        return entry.modifiers == modifiers && entry.key == key;
    });
}

std::int32_t HotkeyRegistry::IdOfName(std::string_view name) const {
    const std::string_view wanted = ansi::UpToZero(name);
    const std::ptrdiff_t index =
        IndexOfFirst(entries_, [&](const HotkeyEntry& entry) { return entry.name == wanted; });
    return index < 0 ? 0 : entries_[static_cast<std::size_t>(index)].id;
}

HotkeyCallback HotkeyRegistry::CallbackOfId(std::int32_t id) const {
    const std::ptrdiff_t index =
        IndexOfFirst(entries_, [&](const HotkeyEntry& entry) { return entry.id == id; });
    return index < 0 ? HotkeyCallback{} : entries_[static_cast<std::size_t>(index)].callback;
}

std::string HotkeyRegistry::DisplayTextOfId(std::int32_t id) const {
    const std::ptrdiff_t index =
        IndexOfFirst(entries_, [&](const HotkeyEntry& entry) { return entry.id == id; });
    if (index < 0) return {};
    const HotkeyEntry& entry = entries_[static_cast<std::size_t>(index)];
    return FormatHotkeyCode(std::to_string(entry.modifiers) + "," + std::to_string(entry.key), "");
}

std::string HotkeyRegistry::NameOfId(std::int32_t id) const {
    const std::ptrdiff_t index =
        IndexOfFirst(entries_, [&](const HotkeyEntry& entry) { return entry.id == id; });
    return index < 0 ? std::string{} : entries_[static_cast<std::size_t>(index)].name;
}

bool HotkeyRegistry::UnregisterMatching(std::string_view name, std::int32_t id,
                                        HotkeyCallback callback, std::uint8_t modifiers,
                                        std::uint8_t key) {
    const std::string_view wanted = ansi::UpToZero(name);
    for (std::size_t position = 0; position < entries_.size(); ++position) {
        const HotkeyEntry& entry = entries_[position];
        const bool qualifies = entry.name == wanted || entry.id == id ||
                               entry.callback == callback || entry.modifiers == modifiers;
        if (!qualifies) continue;
        if (entry.modifiers == modifiers && entry.key != key) continue;
        return RemoveAt(static_cast<std::ptrdiff_t>(position));
    }
    return false;
}

bool HotkeyRegistry::UnregisterById(std::int32_t id) {
    return RemoveAt(
        IndexOfFirst(entries_, [&](const HotkeyEntry& entry) { return entry.id == id; }));
}

bool HotkeyRegistry::UnregisterByName(std::string_view name) {
    const std::string_view wanted = ansi::UpToZero(name);
    return RemoveAt(
        IndexOfFirst(entries_, [&](const HotkeyEntry& entry) { return entry.name == wanted; }));
}

bool HotkeyRegistry::UnregisterByKeys(std::uint8_t modifiers, std::uint8_t key) {
    return RemoveAt(IndexOfFirst(entries_, [&](const HotkeyEntry& entry) {
        return entry.modifiers == modifiers && entry.key == key;
    }));
}

bool HotkeyRegistry::UnregisterByCode(std::string_view code) { return RemoveAt(IndexOfCode(code)); }

bool HotkeyRegistry::RemoveAt(std::ptrdiff_t index) {
    if (index < 0) return false;
    const auto position = entries_.begin() + index;
    const bool unregistered = desktop_.UnregisterHotKey(window_, position->id);
    // The entry goes whatever the platform said: the registry never keeps a
    // hotkey it was asked to give up.
    entries_.erase(position);
    return unregistered;
}

void HotkeyRegistry::UnregisterAll() { ReleaseAll(/*unregisterHotkeys=*/true); }

void HotkeyRegistry::ReleaseAll(bool unregisterHotkeys) {
    if (unregisterHotkeys) {
        for (const HotkeyEntry& entry : entries_) desktop_.UnregisterHotKey(window_, entry.id);
    }
    if (holdsHook_) {
        holdsHook_ = false;
        desktop_.UnhookWindowProcedure(window_, *this, previousProcedure_);
    }
    entries_.clear();
    lastId_ = 0;
}

}  // namespace varnoth
