// The registry of one window's system-wide hotkeys. It hooks the window's
// message handling, registers hotkeys under ids it issues itself, calls a
// routine when one is pressed, and passes every message on unchanged.
//
// Texts are byte strings in the ANSI code page (936 for Chinese names) and end
// at their first zero byte: a name "a\0b" is stored and compared as "a".
//
// Lifetime rules:
//  * The registry keeps a reference to the desktop, which must outlive it.
//  * Attach puts the registry in front of the window's procedure through the
//    desktop seam; the registry then holds the hook until UnregisterAll (or
//    Destroy, or its destructor) takes it out again. The platform keeps a
//    reference to this very object, so a registry can be neither copied by
//    value nor moved; Copy makes a separate registry on the heap.
//  * Attach on a registry that holds a hook hooks nothing more: it returns
//    true for the window it already holds and false (no change) for another
//    window, so a window never carries a hook that nobody removes.
//  * UnregisterAll on a registry that no longer holds its hook unregisters
//    whatever entries it has but does not unhook again.
//  * The destructor runs UnregisterAll when anything is left to release, so
//    the window is never left calling into a destroyed registry. A copy
//    (see Copy) is the exception for hotkeys: it only takes out a hook it
//    holds itself and leaves the platform's hotkeys to the registry it was
//    copied from.
//  * A callback may register and unregister hotkeys while a WM_HOTKEY is being
//    dispatched; it must not destroy the registry that is calling it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/desktop_windowing.h"

namespace varnoth {

// The routine a hotkey calls, with (id, modifiers, key). A plain function and a
// context pointer, so callbacks can be compared and stored without allocation.
struct HotkeyCallback {
    void (*function)(void* context, std::int32_t id, std::uint32_t modifiers,
                     std::uint32_t key) = nullptr;
    void* context = nullptr;

    explicit operator bool() const { return function != nullptr; }
    friend bool operator==(const HotkeyCallback&, const HotkeyCallback&) = default;
};

// One registered hotkey.
struct HotkeyEntry {
    std::string name;             // bytes in the ANSI code page
    std::uint8_t modifiers = 0;   // MOD_ALT 1, MOD_CONTROL 2, MOD_SHIFT 4, MOD_WIN 8
    std::uint8_t key = 0;         // virtual-key code
    std::int32_t id = 0;
    HotkeyCallback callback;
    friend bool operator==(const HotkeyEntry&, const HotkeyEntry&) = default;
};

class HotkeyRegistry : public WindowMessageHook {
public:
    explicit HotkeyRegistry(DesktopWindowing& desktop);
    virtual ~HotkeyRegistry();

    HotkeyRegistry(const HotkeyRegistry&) = delete;
    HotkeyRegistry& operator=(const HotkeyRegistry&) = delete;

    // Runs UnregisterAll and releases the entries; the registry stays usable.
    virtual void Destroy();

    // A new registry over the same desktop with copies of the entries and the
    // same last id, window and previous procedure. It shares the hook but does
    // not hold it: its UnregisterAll and destructor never unhook the window,
    // so the hook is taken out exactly once, by the registry that made it.
    // Unregistering through the copy still unregisters at the platform (the
    // hotkeys are the same), which the original then no longer knows.
    virtual std::unique_ptr<HotkeyRegistry> Copy() const;

    // The window's procedure while hooked: WM_HOTKEY calls every entry whose id
    // equals wParam, among the entries present when the message arrived; then
    // every message goes to the previous procedure and its result is returned
    // (0 when no window was ever hooked, so there is no previous procedure).
    virtual std::intptr_t HandleWindowMessage(WindowHandle window, std::uint32_t message,
                                              std::uintptr_t wParam, std::intptr_t lParam);

    // Hooks `window`. False for window 0 (nothing changes) and when the
    // platform gives no previous procedure (the window is kept all the same).
    virtual bool Attach(WindowHandle window);

    // Registration: the new id (the last id + 1), or 0 when the platform refused
    // (or the code text does not have exactly two pieces); nothing changes then.
    virtual std::int32_t RegisterByText(std::string_view name, std::string_view hotkeyText,
                                        HotkeyCallback callback);
    virtual std::int32_t RegisterByCode(std::string_view name, std::string_view code,
                                        HotkeyCallback callback);
    virtual std::int32_t Register(std::string_view name, std::uint8_t modifiers,
                                  std::uint8_t key, HotkeyCallback callback);

    // Whether some entry has `name`; with `unregister`, the first such entry is
    // removed and the result is the platform's answer to unregistering it.
    virtual bool IsRegistered(std::string_view name, bool unregister = false);

    virtual std::int32_t Count() const;
    // Empties `out`, then fills it with copies of all entries in list order.
    virtual void ListAll(std::vector<HotkeyEntry>& out) const;

    // The id of the first match, with a copy of it in `found`; -1 and `found`
    // untouched when nothing matches. FindByCode matches nothing for a code
    // text of fewer than two pieces.
    virtual std::int32_t FindByName(std::string_view name, HotkeyEntry& found) const;
    virtual std::int32_t FindById(std::int32_t id, HotkeyEntry& found) const;
    virtual std::int32_t FindByKeys(std::uint8_t modifiers, std::uint8_t key,
                                    HotkeyEntry& found) const;
    virtual std::int32_t FindByCode(std::string_view code, HotkeyEntry& found) const;

    // Single answers; 0, no callback, or the empty text when nothing matches.
    virtual std::int32_t IdOfName(std::string_view name) const;
    virtual HotkeyCallback CallbackOfId(std::int32_t id) const;
    virtual std::string DisplayTextOfId(std::int32_t id) const;
    virtual std::string NameOfId(std::int32_t id) const;

    // Removes the first entry that qualifies (its name, id, callback or
    // modifiers equal the arguments) unless its modifiers are equal and its
    // key differs. Every argument takes part as given: an empty name, id 0, no
    // callback and modifiers 0 are values that entries can equal.
    virtual bool UnregisterMatching(std::string_view name, std::int32_t id,
                                    HotkeyCallback callback, std::uint8_t modifiers,
                                    std::uint8_t key);
    // Remove the first match, whatever the platform answers; true when the
    // platform's unregistration succeeded, false when it failed or nothing
    // matched. UnregisterByCode matches nothing for fewer than two pieces.
    virtual bool UnregisterById(std::int32_t id);
    virtual bool UnregisterByName(std::string_view name);
    virtual bool UnregisterByKeys(std::uint8_t modifiers, std::uint8_t key);
    virtual bool UnregisterByCode(std::string_view code);

    // Unregisters every entry, puts the previous procedure back if this
    // registry holds the hook, empties the list and sets the last id to 0.
    // The window and previous procedure are remembered.
    virtual void UnregisterAll();

    // --- State, for the program and its tests -------------------------------
    WindowHandle Window() const { return window_; }
    WindowProcedure PreviousProcedure() const { return previousProcedure_; }
    // True while this registry's hook is in front of the window's procedure.
    bool HoldsHook() const { return holdsHook_; }
    std::int32_t LastId() const { return lastId_; }

    // WindowMessageHook: the platform's entry into HandleWindowMessage.
    std::intptr_t OnHookedMessage(WindowHandle window, std::uint32_t message,
                                  std::uintptr_t wParam, std::intptr_t lParam) noexcept override;

protected:
    // For Copy, and for the Copy of a derived registry: the fields of `source`,
    // not holding its hook, marked as a copy.
    struct CopyOf {};
    HotkeyRegistry(const HotkeyRegistry& source, CopyOf);

private:

    // Registering with numbers that text forms have already been read into.
    std::int32_t RegisterCode(std::string_view name, std::string_view code,
                              HotkeyCallback callback);
    // Index of the first entry matching the code text, or -1.
    std::ptrdiff_t IndexOfCode(std::string_view code) const;
    // Unregisters the entry at `index` with the platform, then takes it out.
    bool RemoveAt(std::ptrdiff_t index);
    void ReleaseAll(bool unregisterHotkeys);

    DesktopWindowing& desktop_;
    std::vector<HotkeyEntry> entries_;
    std::int32_t lastId_ = 0;
    WindowHandle window_ = 0;
    // Whether this registry put the hook in and has not taken it out; the
    // platform's hook needs no memory of ours, so this is all that is held.
    bool holdsHook_ = false;
    WindowProcedure previousProcedure_ = 0;
    // A copy leaves the platform's hotkeys to the registry it was copied from
    // when it is destroyed.
    bool isCopy_ = false;
};

}  // namespace varnoth
