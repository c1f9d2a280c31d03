// The registry on the simulated desktop: ids, list order, first matches,
// neutral results, the window hook and the text-form operations.
#include "hotkeys/hotkey_registry.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/simulated_desktop.h"

namespace varnoth {
namespace {

using namespace std::string_view_literals;

constexpr std::string_view kTileHotkeyName = "\xBF\xEC\xBD\xDD\xBC\xFC";  // 快捷键
constexpr std::uint8_t kModAlt = 1;
constexpr std::uint8_t kModControl = 2;
constexpr std::uint8_t kVkNumpad9 = 0x69;
constexpr std::uint32_t kWmPaint = 0x000F;

struct HotkeyCall {
    std::int32_t id;
    std::uint32_t modifiers;
    std::uint32_t key;
    friend bool operator==(const HotkeyCall&, const HotkeyCall&) = default;
};

// Records every call and then runs an optional action, so a test can make a
// callback change the registry while the hotkey is being dispatched.
struct Recorder {
    std::vector<HotkeyCall> calls;
    std::function<void()> then;

    HotkeyCallback Callback() { return HotkeyCallback{&Recorder::Called, this}; }
    static void Called(void* context, std::int32_t id, std::uint32_t modifiers,
                       std::uint32_t key) {
        auto* self = static_cast<Recorder*>(context);
        self->calls.push_back({id, modifiers, key});
        if (self->then) self->then();
    }
};

struct ReceivedMessage {
    std::uint32_t message;
    std::uintptr_t wParam;
    friend bool operator==(const ReceivedMessage&, const ReceivedMessage&) = default;
};

class HotkeyRegistryTest : public testing::Test {
protected:
    HotkeyRegistryTest() {
        window = desktop.AddWindow("VarnothMain", "Varnoth V0.2");
        // The window's own procedure: records what reaches it and answers with a
        // value derived from the message, so a result passed on can be checked.
        desktop.SetWindowProcedure(
            window, [this](WindowHandle, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t) -> std::intptr_t {
                received.push_back({message, wParam});
                return static_cast<std::intptr_t>(0x5000 + message);
            });
        ownProcedure = desktop.FrontProcedure(window);
    }

    std::vector<std::string> Names() const {
        std::vector<HotkeyEntry> entries;
        registry.ListAll(entries);
        std::vector<std::string> names;
        for (const HotkeyEntry& entry : entries) names.push_back(entry.name);
        return names;
    }

    std::vector<std::int32_t> Ids() const {
        std::vector<HotkeyEntry> entries;
        registry.ListAll(entries);
        std::vector<std::int32_t> ids;
        for (const HotkeyEntry& entry : entries) ids.push_back(entry.id);
        return ids;
    }

    SimulatedDesktop desktop;
    WindowHandle window = 0;
    WindowProcedure ownProcedure = 0;
    std::vector<ReceivedMessage> received;
    HotkeyRegistry registry{desktop};
    Recorder recorder;
};

const HotkeyEntry kUntouched{"untouched", 9, 9, 99, {}};

TEST_F(HotkeyRegistryTest, NewRegistryIsEmptyAndAnswersNeutrally) {
    EXPECT_EQ(registry.Count(), 0);
    EXPECT_EQ(registry.IdOfName("anything"), 0);
    EXPECT_EQ(registry.IdOfName(""), 0);
    HotkeyEntry found = kUntouched;
    EXPECT_EQ(registry.FindById(1, found), -1);
    EXPECT_EQ(registry.FindByName("", found), -1);
    EXPECT_EQ(registry.FindByKeys(0, 0, found), -1);
    EXPECT_EQ(registry.FindByCode("0,0", found), -1);
    EXPECT_EQ(found, kUntouched);
    EXPECT_FALSE(registry.CallbackOfId(1));
    EXPECT_EQ(registry.NameOfId(1), "");
    EXPECT_EQ(registry.DisplayTextOfId(1), "");
    EXPECT_FALSE(registry.UnregisterById(1));
    EXPECT_FALSE(registry.UnregisterByName(""));
    EXPECT_FALSE(registry.UnregisterByKeys(0, 0));
    EXPECT_FALSE(registry.UnregisterByCode("0,0"));
    EXPECT_FALSE(registry.UnregisterMatching("", 0, {}, 0, 0));
    EXPECT_EQ(desktop.CountOf(DesktopCall::UnregisterHotKey), 0);
}

TEST_F(HotkeyRegistryTest, RefusedRegistrationKeepsTheNextId) {
    ASSERT_TRUE(registry.Attach(window));
    desktop.HoldHotkeyElsewhere(kModAlt, 'B');
    EXPECT_EQ(registry.Register("a", kModAlt, 'A', {}), 1);
    EXPECT_EQ(registry.Register("b", kModAlt, 'B', {}), 0);
    EXPECT_EQ(registry.Register("c", kModAlt, 'C', {}), 2);
    EXPECT_EQ(Names(), (std::vector<std::string>{"a", "c"}));

    std::vector<std::int64_t> offeredIds;
    for (const RecordedCall& call : desktop.Calls()) {
        if (call.call == DesktopCall::RegisterHotKey) offeredIds.push_back(call.args[0]);
    }
    EXPECT_EQ(offeredIds, (std::vector<std::int64_t>{1, 2, 2}));
}

TEST_F(HotkeyRegistryTest, RemovedIdIsNotIssuedAgain) {
    ASSERT_TRUE(registry.Attach(window));
    EXPECT_EQ(registry.Register("A", 0, 'A', {}), 1);
    EXPECT_EQ(registry.Register("B", 0, 'B', {}), 2);
    EXPECT_EQ(registry.Register("C", 0, 'C', {}), 3);
    EXPECT_TRUE(registry.UnregisterByName("B"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(registry.Register("D", 0, 'D', {}), 4);
    EXPECT_EQ(Ids(), (std::vector<std::int32_t>{1, 3, 4}));
    EXPECT_FALSE(desktop.IsHotkeyRegistered(0, 'B'));
}

TEST_F(HotkeyRegistryTest, SameNameTwiceFirstOneAnswersAndGoesFirst) {
    ASSERT_TRUE(registry.Attach(window));
    registry.Register("x", 0, 'A', {});
    registry.Register("x", 0, 'B', {});
    EXPECT_EQ(registry.IdOfName("x"), 1);
    HotkeyEntry found;
    EXPECT_EQ(registry.FindByName("x", found), 1);
    EXPECT_EQ(found.key, 'A');
    EXPECT_TRUE(registry.UnregisterByName("x"));
    EXPECT_EQ(Ids(), (std::vector<std::int32_t>{2}));
    EXPECT_EQ(registry.IdOfName("x"), 2);
}

TEST_F(HotkeyRegistryTest, IsRegisteredWithAndWithoutRemoval) {
    ASSERT_TRUE(registry.Attach(window));
    registry.Register("x", 0, 'A', {});
    registry.Register("x", 0, 'B', {});

    EXPECT_TRUE(registry.IsRegistered("x"));
    EXPECT_EQ(registry.Count(), 2);
    EXPECT_FALSE(registry.IsRegistered("y"));
    EXPECT_FALSE(registry.IsRegistered("y", true));
    EXPECT_EQ(registry.Count(), 2);

    EXPECT_TRUE(registry.IsRegistered("x", true));
    EXPECT_EQ(Ids(), (std::vector<std::int32_t>{2}));

    // The platform refuses: the entry goes all the same and the answer is false.
    desktop.SetFailing(DesktopCall::UnregisterHotKey, true);
    EXPECT_FALSE(registry.IsRegistered("x", true));
    EXPECT_EQ(registry.Count(), 0);
}

TEST_F(HotkeyRegistryTest, UnregisteringOperationsReportThePlatformsAnswer) {
    struct Case {
        const char* label;
        std::function<bool(HotkeyRegistry&)> unregister;
    };
    const Case cases[] = {
        {"ById", [](HotkeyRegistry& r) { return r.UnregisterById(1); }},
        {"ByName", [](HotkeyRegistry& r) { return r.UnregisterByName("a"); }},
        {"ByKeys", [](HotkeyRegistry& r) { return r.UnregisterByKeys(kModAlt, 'A'); }},
        {"ByCode", [](HotkeyRegistry& r) { return r.UnregisterByCode("1,65"); }},
        {"Matching", [](HotkeyRegistry& r) { return r.UnregisterMatching("a", 0, {}, 1, 'A'); }},
    };
    for (const Case& c : cases) {
        for (const bool platformAgrees : {true, false}) {
            SCOPED_TRACE(testing::Message() << c.label << (platformAgrees ? " agreed" : " refused"));
            HotkeyRegistry local(desktop);
            ASSERT_EQ(local.Register("a", kModAlt, 'A', {}), 1);
            desktop.SetFailing(DesktopCall::UnregisterHotKey, !platformAgrees);
            EXPECT_EQ(c.unregister(local), platformAgrees);
            EXPECT_EQ(local.Count(), 0);
            desktop.SetFailing(DesktopCall::UnregisterHotKey, false);
            // A refused unregistration left the platform holding the hotkey.
            EXPECT_EQ(desktop.IsHotkeyRegistered(kModAlt, 'A'), !platformAgrees);
            desktop.UnregisterHotKey(0, 1);
        }
    }
}

TEST_F(HotkeyRegistryTest, RunningSystemsHotkeyIsFoundByItsKeys) {
    ASSERT_TRUE(registry.Attach(window));
    ASSERT_EQ(registry.Register(kTileHotkeyName, kModAlt, kVkNumpad9, recorder.Callback()), 1);
    HotkeyEntry found;
    EXPECT_EQ(registry.FindByKeys(kModAlt, kVkNumpad9, found), 1);
    EXPECT_EQ(found, (HotkeyEntry{std::string(kTileHotkeyName), kModAlt, kVkNumpad9, 1,
                                  recorder.Callback()}));
    EXPECT_EQ(registry.DisplayTextOfId(1), "Alt + Num 9");
    EXPECT_EQ(registry.NameOfId(1), kTileHotkeyName);
    EXPECT_EQ(registry.CallbackOfId(1), recorder.Callback());
    EXPECT_EQ(registry.FindByCode("1,105", found), 1);
}

TEST_F(HotkeyRegistryTest, PressReachesTheCallbackOnceThenThePreviousProcedure) {
    ASSERT_TRUE(registry.Attach(window));
    registry.Register("other", kModControl, 'O', {});
    ASSERT_EQ(registry.Register(kTileHotkeyName, kModAlt, kVkNumpad9, recorder.Callback()), 2);

    EXPECT_TRUE(desktop.PressHotkey(kModAlt, kVkNumpad9));
    EXPECT_EQ(recorder.calls, (std::vector<HotkeyCall>{{2, kModAlt, kVkNumpad9}}));
    EXPECT_EQ(received, (std::vector<ReceivedMessage>{{kWmHotkey, 2}}));
}

TEST_F(HotkeyRegistryTest, UnknownIdCallsNothingAndIsPassedOn) {
    ASSERT_TRUE(registry.Attach(window));
    registry.Register("a", kModAlt, 'A', recorder.Callback());
    EXPECT_EQ(desktop.DeliverMessage(window, kWmHotkey, 7, 0), 0x5000 + kWmHotkey);
    EXPECT_TRUE(recorder.calls.empty());
    EXPECT_EQ(received, (std::vector<ReceivedMessage>{{kWmHotkey, 7}}));
}

TEST_F(HotkeyRegistryTest, EveryMessageGetsThePreviousProceduresResult) {
    ASSERT_TRUE(registry.Attach(window));
    EXPECT_NE(desktop.FrontProcedure(window), ownProcedure);
    registry.Register("a", kModAlt, 'A', recorder.Callback());
    for (const std::uint32_t message : {kWmNull, kWmPaint, kWmHotkey, 0x0100u, 0x8001u}) {
        EXPECT_EQ(desktop.DeliverMessage(window, message, 1, -1),
                  static_cast<std::intptr_t>(0x5000 + message))
            << message;
    }
    EXPECT_EQ(received.size(), 5u);
    EXPECT_EQ(recorder.calls.size(), 1u);  // the WM_HOTKEY with id 1
}

TEST_F(HotkeyRegistryTest, EntryWithoutCallbackIsSkipped) {
    ASSERT_TRUE(registry.Attach(window));
    ASSERT_EQ(registry.Register("silent", kModAlt, 'S', {}), 1);
    EXPECT_TRUE(desktop.PressHotkey(kModAlt, 'S'));
    EXPECT_EQ(received, (std::vector<ReceivedMessage>{{kWmHotkey, 1}}));
}

TEST_F(HotkeyRegistryTest, RegisterBeforeAttachUsesWindowZeroAndNeverDispatches) {
    ASSERT_EQ(registry.Register("early", kModAlt, 'E', recorder.Callback()), 1);
    ASSERT_EQ(desktop.Calls().back().call, DesktopCall::RegisterHotKey);
    EXPECT_EQ(desktop.Calls().back().window, 0u);
    ASSERT_TRUE(registry.Attach(window));
    EXPECT_FALSE(desktop.PressHotkey(kModAlt, 'E'));
    EXPECT_TRUE(recorder.calls.empty());
}

TEST_F(HotkeyRegistryTest, CallbackMayChangeTheRegistryDuringDispatch) {
    struct Case {
        const char* label;
        std::function<void(HotkeyRegistry&)> action;
        std::vector<std::int32_t> idsAfter;
    };
    const std::vector<Case> cases = {
        {"RemovesItself", [](HotkeyRegistry& r) { r.UnregisterById(2); }, {1, 3}},
        {"RemovesAllBehind", [](HotkeyRegistry& r) { r.UnregisterById(3); r.UnregisterById(1); }, {2}},
        {"UnregistersAll", [](HotkeyRegistry& r) { r.UnregisterAll(); }, {}},
        // Enough new entries to move the list in memory while it is being walked.
        {"RegistersMany",
         [](HotkeyRegistry& r) {
             for (std::uint8_t key = 'a'; key < 'a' + 20; ++key) r.Register("new", kModControl, key, {});
         },
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23}},
        // Fresh ids start at 1 again: the re-registered id 2 sits behind the walk.
        {"UnregistersAllAndRegistersAgain",
         [](HotkeyRegistry& r) {
             r.UnregisterAll();
             r.Register("again1", kModControl, '1', {});
             r.Register("again2", kModControl, '2', {});
         },
         {1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        SimulatedDesktop localDesktop;
        const WindowHandle localWindow = localDesktop.AddWindow("W", "w");
        HotkeyRegistry local(localDesktop);
        ASSERT_TRUE(local.Attach(localWindow));
        Recorder pressed;
        pressed.then = [&] { c.action(local); };
        local.Register("first", kModAlt, '1', {});
        local.Register("pressed", kModAlt, '2', pressed.Callback());
        local.Register("third", kModAlt, '3', {});

        EXPECT_TRUE(localDesktop.PressHotkey(kModAlt, '2'));
        EXPECT_EQ(pressed.calls, (std::vector<HotkeyCall>{{2, kModAlt, '2'}}));
        std::vector<HotkeyEntry> entries;
        local.ListAll(entries);
        std::vector<std::int32_t> ids;
        for (const HotkeyEntry& entry : entries) ids.push_back(entry.id);
        EXPECT_EQ(ids, c.idsAfter);
        // The message still reached the window's own procedure, which answers 0.
        EXPECT_EQ(localDesktop.CountOf(DesktopCall::CallWindowProcedure), 1);
    }
}

struct Keys {
    std::string name;
    std::uint8_t modifiers;
    std::uint8_t key;
};

struct MatchingCase {
    const char* label;
    std::vector<Keys> entries;  // registered in this order (ids 1, 2, ...)
    std::string_view name;
    std::int32_t id;
    bool sameCallback;
    std::uint8_t modifiers;
    std::uint8_t key;
    bool removed;
    std::vector<std::int32_t> idsAfter;
};

class UnregisterMatchingTest : public testing::TestWithParam<MatchingCase> {};

TEST_P(UnregisterMatchingTest, RemovesTheFirstQualifyingEntryUnlessOnlyTheKeyDiffers) {
    const MatchingCase& c = GetParam();
    SimulatedDesktop desktop;
    HotkeyRegistry registry(desktop);
    Recorder recorder;
    for (const Keys& entry : c.entries) {
        ASSERT_NE(registry.Register(entry.name, entry.modifiers, entry.key, recorder.Callback()), 0);
    }
    const HotkeyCallback callback = c.sameCallback ? recorder.Callback() : HotkeyCallback{};
    EXPECT_EQ(registry.UnregisterMatching(c.name, c.id, callback, c.modifiers, c.key), c.removed);
    std::vector<HotkeyEntry> entries;
    registry.ListAll(entries);
    std::vector<std::int32_t> ids;
    for (const HotkeyEntry& entry : entries) ids.push_back(entry.id);
    EXPECT_EQ(ids, c.idsAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnregisterMatchingTest,
    testing::Values(
        MatchingCase{"NameQualifiesModifiersDiffer", {{"a", 1, 0x41}}, "a", 0, false, 2, 0, true, {}},
        MatchingCase{"NameQualifiesOnlyKeyDiffers", {{"a", 2, 0x41}}, "a", 0, false, 2, 0, false, {1}},
        MatchingCase{"ModifiersAndKeyEqual", {{"a", 2, 0x41}}, "zz", 0, false, 2, 0x41, true, {}},
        MatchingCase{"SkipsToTheNextQualifier",
                     {{"a", 2, 0x41}, {"b", 2, 0x42}}, "zz", 0, false, 2, 0x42, true, {1}},
        MatchingCase{"IdQualifies", {{"a", 1, 0x41}, {"b", 4, 0x42}}, "zz", 2, false, 8, 0, true, {1}},
        MatchingCase{"CallbackQualifies", {{"a", 1, 0x41}}, "zz", 0, true, 8, 0, true, {}},
        MatchingCase{"NothingQualifies", {{"a", 1, 0x41}}, "zz", 5, false, 8, 0, false, {1}},
        MatchingCase{"FirstOfTwoQualifiers",
                     {{"a", 1, 0x41}, {"a", 4, 0x42}}, "a", 0, false, 2, 0, true, {2}}),
    [](const auto& param) { return std::string(param.param.label); });

TEST_F(HotkeyRegistryTest, ListAllReplacesWhatTheListHeld) {
    registry.Register("one", 0, '1', recorder.Callback());
    registry.Register("two", kModAlt, '2', {});
    std::vector<HotkeyEntry> list{{"p", 1, 1, 7, {}}, {"q", 2, 2, 8, {}}, {"r", 3, 3, 9, {}}};
    registry.ListAll(list);
    EXPECT_EQ(list, (std::vector<HotkeyEntry>{{"one", 0, '1', 1, recorder.Callback()},
                                              {"two", kModAlt, '2', 2, {}}}));
}

TEST_F(HotkeyRegistryTest, UnregisterAllRestoresTheWindowAndStartsIdsAgain) {
    ASSERT_TRUE(registry.Attach(window));
    registry.Register("a", kModAlt, 'A', recorder.Callback());
    registry.Register("b", kModAlt, 'B', recorder.Callback());
    registry.UnregisterAll();

    EXPECT_EQ(desktop.FrontProcedure(window), ownProcedure);
    EXPECT_FALSE(registry.HoldsHook());
    EXPECT_EQ(registry.Window(), window);
    EXPECT_EQ(registry.PreviousProcedure(), ownProcedure);
    EXPECT_FALSE(desktop.IsHotkeyRegistered(kModAlt, 'A'));
    EXPECT_FALSE(desktop.IsHotkeyRegistered(kModAlt, 'B'));
    EXPECT_EQ(registry.Count(), 0);
    EXPECT_EQ(desktop.CountOf(DesktopCall::UnhookWindowProcedure), 1);

    // A second teardown releases nothing twice.
    registry.UnregisterAll();
    registry.Destroy();
    EXPECT_EQ(desktop.CountOf(DesktopCall::UnhookWindowProcedure), 1);
    EXPECT_EQ(desktop.CountOf(DesktopCall::UnregisterHotKey), 2);

    // Still registering on the window, from id 1, but no longer hooked.
    EXPECT_EQ(registry.Register("c", kModAlt, 'C', recorder.Callback()), 1);
    EXPECT_TRUE(desktop.PressHotkey(kModAlt, 'C'));
    EXPECT_TRUE(recorder.calls.empty());
}

TEST_F(HotkeyRegistryTest, AttachRefusesWindowZeroAndDoesNotHookTwice) {
    EXPECT_FALSE(registry.Attach(0));
    EXPECT_EQ(registry.Window(), 0u);
    EXPECT_EQ(desktop.CountOf(DesktopCall::HookWindowProcedure), 0);

    const WindowHandle other = desktop.AddWindow("Other", "other");
    ASSERT_TRUE(registry.Attach(window));
    EXPECT_TRUE(registry.Attach(window));
    EXPECT_FALSE(registry.Attach(other));
    EXPECT_EQ(registry.Window(), window);
    EXPECT_EQ(desktop.CountOf(DesktopCall::HookWindowProcedure), 1);

    registry.UnregisterAll();
    EXPECT_EQ(desktop.FrontProcedure(window), ownProcedure);
    // Once detached it can hook again.
    EXPECT_TRUE(registry.Attach(other));
    EXPECT_EQ(registry.Window(), other);
}

TEST_F(HotkeyRegistryTest, AttachToMissingWindowFailsButKeepsTheWindow) {
    constexpr WindowHandle kGone = 0x7FFF0;
    EXPECT_FALSE(registry.Attach(kGone));
    EXPECT_EQ(registry.Window(), kGone);
    EXPECT_FALSE(registry.HoldsHook());
    registry.UnregisterAll();
    EXPECT_EQ(desktop.CountOf(DesktopCall::UnhookWindowProcedure), 0);
}

TEST_F(HotkeyRegistryTest, DestructorUnhooksAndFreesTheHotkeys) {
    {
        HotkeyRegistry scoped(desktop);
        ASSERT_TRUE(scoped.Attach(window));
        scoped.Register("a", kModAlt, 'A', recorder.Callback());
    }
    EXPECT_EQ(desktop.FrontProcedure(window), ownProcedure);
    EXPECT_FALSE(desktop.IsHotkeyRegistered(kModAlt, 'A'));
    // Messages go straight to the window's own procedure, not into freed memory.
    EXPECT_EQ(desktop.DeliverMessage(window, kWmPaint, 0, 0), 0x5000 + kWmPaint);
}

TEST_F(HotkeyRegistryTest, CopySharesTheHookWithoutHoldingIt) {
    ASSERT_TRUE(registry.Attach(window));
    registry.Register("a", kModAlt, 'A', recorder.Callback());
    const WindowProcedure hooked = desktop.FrontProcedure(window);

    std::unique_ptr<HotkeyRegistry> copy = registry.Copy();
    std::vector<HotkeyEntry> original, copied;
    registry.ListAll(original);
    copy->ListAll(copied);
    EXPECT_EQ(copied, original);
    EXPECT_EQ(copy->Window(), window);
    EXPECT_EQ(copy->PreviousProcedure(), ownProcedure);
    EXPECT_EQ(copy->LastId(), 1);
    EXPECT_FALSE(copy->HoldsHook());

    copy->UnregisterAll();
    copy.reset();
    EXPECT_EQ(desktop.FrontProcedure(window), hooked);
    EXPECT_EQ(desktop.CountOf(DesktopCall::UnhookWindowProcedure), 0);

    // The original still dispatches, and is the one that unhooks, once.
    registry.Register("b", kModAlt, 'B', recorder.Callback());
    EXPECT_TRUE(desktop.PressHotkey(kModAlt, 'B'));
    EXPECT_EQ(recorder.calls, (std::vector<HotkeyCall>{{2, kModAlt, 'B'}}));
    registry.Destroy();
    EXPECT_EQ(desktop.FrontProcedure(window), ownProcedure);
    EXPECT_EQ(desktop.CountOf(DesktopCall::UnhookWindowProcedure), 1);
}

TEST_F(HotkeyRegistryTest, DestroyedCopyLeavesTheOriginalsHotkeys) {
    ASSERT_TRUE(registry.Attach(window));
    registry.Register("a", kModAlt, 'A', recorder.Callback());
    registry.Copy().reset();
    EXPECT_TRUE(desktop.IsHotkeyRegistered(kModAlt, 'A'));
    EXPECT_TRUE(desktop.PressHotkey(kModAlt, 'A'));
    EXPECT_EQ(recorder.calls.size(), 1u);
}

TEST_F(HotkeyRegistryTest, NamesEndAtTheirFirstZeroByte) {
    registry.Register("a\0b"sv, 0, 'A', {});
    EXPECT_EQ(registry.NameOfId(1), "a");
    EXPECT_EQ(registry.IdOfName("a"), 1);
    EXPECT_EQ(registry.IdOfName("a\0c"sv), 1);
    EXPECT_EQ(registry.IdOfName("a\0b"sv), 1);
}

TEST_F(HotkeyRegistryTest, RegisterByTextAsksThePlatformForTheParsedKeys) {
    struct Case {
        std::string_view hotkeyText;
        std::int64_t modifiers;
        std::int64_t key;
    };
    for (const Case& c : {Case{"Alt+Num 9", 1, 105}, Case{"Ctrl + Alt + A", 3, 65},
                          Case{"Ctrl+Q1", 0, 0}, Case{"", 0, 1}}) {
        SCOPED_TRACE(c.hotkeyText);
        HotkeyRegistry local(desktop);
        EXPECT_EQ(local.RegisterByText("t", c.hotkeyText, {}), 1);
        const RecordedCall& call = desktop.Calls().back();
        ASSERT_EQ(call.call, DesktopCall::RegisterHotKey);
        EXPECT_EQ(call.args[1], c.modifiers);
        EXPECT_EQ(call.args[2], c.key);
    }
}

TEST_F(HotkeyRegistryTest, RegisterByCodeNeedsExactlyTwoPieces) {
    struct Case {
        std::string_view code;
        bool asksPlatform;
        std::int64_t modifiers;
        std::int64_t key;
    };
    for (const Case& c : {Case{"2,65,1", false, 0, 0}, Case{"2,", false, 0, 0},
                          Case{"", false, 0, 0}, Case{"65", false, 0, 0},
                          Case{",65", true, 0, 65}, Case{"300,-1", true, 44, 255},
                          Case{"\xA3\xB2,\xA3\xB6\xA3\xB5", true, 2, 65}}) {
        SCOPED_TRACE(c.code);
        HotkeyRegistry local(desktop);
        desktop.ClearCalls();
        EXPECT_EQ(local.RegisterByCode("c", c.code, {}), c.asksPlatform ? 1 : 0);
        EXPECT_EQ(desktop.CountOf(DesktopCall::RegisterHotKey), c.asksPlatform ? 1 : 0);
        if (c.asksPlatform) {
            EXPECT_EQ(desktop.Calls().back().args[1], c.modifiers);
            EXPECT_EQ(desktop.Calls().back().args[2], c.key);
        }
    }
}

TEST_F(HotkeyRegistryTest, FindAndUnregisterByCode) {
    registry.Register("first", kModAlt, 65, {});
    registry.Register("second", kModControl, 65, {});
    struct Case {
        std::string_view code;
        std::int32_t id;
    };
    for (const Case& c : {Case{"2,65", 2}, Case{"1,65", 1}, Case{"257,321", 1},
                          Case{"1,65,junk", 1}, Case{"2,66", -1}, Case{"1", -1},
                          Case{"2", -1}, Case{"", -1}, Case{"1,", -1}}) {
        SCOPED_TRACE(c.code);
        HotkeyEntry found = kUntouched;
        EXPECT_EQ(registry.FindByCode(c.code, found), c.id);
        EXPECT_EQ(found.id, c.id < 0 ? kUntouched.id : c.id);
    }
    EXPECT_FALSE(registry.UnregisterByCode("2"));
    EXPECT_FALSE(registry.UnregisterByCode("2,66"));
    EXPECT_EQ(registry.Count(), 2);
    EXPECT_TRUE(registry.UnregisterByCode("2,65"));
    EXPECT_EQ(Ids(), (std::vector<std::int32_t>{1}));
}

TEST_F(HotkeyRegistryTest, DisplayTextOfId) {
    registry.Register("zero", kModAlt, 0, {});
    registry.Register("high", kModAlt, 230, {});
    registry.Register("ctrl", kModControl | kModAlt, 'A', {});
    EXPECT_EQ(registry.DisplayTextOfId(1), "");
    EXPECT_EQ(registry.DisplayTextOfId(2), "Alt + ");
    EXPECT_EQ(registry.DisplayTextOfId(3), "Ctrl + Alt + A");
    EXPECT_EQ(registry.DisplayTextOfId(4), "");
}

}  // namespace
}  // namespace varnoth
