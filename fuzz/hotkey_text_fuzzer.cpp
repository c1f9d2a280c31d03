// Feeds arbitrary bytes to the hotkey text forms and to the registry's
// text-form operations on a simulated desktop. The input is split at its first
// 0xFF byte into a hotkey or code text and a second text (fallback / second
// code), so both halves may end inside a double-byte character and may hold
// zero bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "hotkeys/hotkey_registry.h"
#include "hotkeys/hotkey_text.h"
#include "platform/simulated_desktop.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace varnoth;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\xFF');
    const std::string_view first = input.substr(0, split);
    const std::string_view second =
        split == std::string_view::npos ? std::string_view{} : input.substr(split + 1);

    // A recognised hotkey survives the trip to its display text and back.
    const std::string code = ParseHotkeyText(first);
    if (code != "0,0") Check(ParseHotkeyText(FormatHotkeyCode(code, second)) == code);
    (void)FormatHotkeyCode(first, second);
    (void)FormatHotkeyCode(second, first);

    SimulatedDesktop desktop;
    const WindowHandle window = desktop.AddWindow("FuzzWindow", "fuzz");
    HotkeyRegistry registry(desktop);
    Check(registry.Attach(window));

    const std::int32_t byText = registry.RegisterByText(first, first, {});
    const std::int32_t byCode = registry.RegisterByCode(second, first, {});
    const std::int32_t byCode2 = registry.RegisterByCode(first, second, {});
    Check(byText >= 0 && byCode >= 0 && byCode2 >= 0);

    HotkeyEntry found;
    const std::int32_t id = registry.FindByCode(first, found);
    Check(id == -1 || registry.FindById(id, found) == id);
    (void)registry.FindByCode(second, found);
    (void)registry.DisplayTextOfId(byText);
    (void)registry.DisplayTextOfId(byCode);

    const std::int32_t before = registry.Count();
    const bool removed = registry.UnregisterByCode(second);
    Check(registry.Count() == before || registry.Count() == before - 1);
    Check(!removed || registry.Count() == before - 1);
    (void)registry.UnregisterByCode(first);
    // Every message still reaches the window through the hook.
    (void)desktop.PressHotkey(0, 0);
    registry.Destroy();
    Check(registry.Count() == 0);
    return 0;
}
