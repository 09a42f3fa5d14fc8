// The settings window on its own, over fake hosts: which controls it lends
// to the shared slots, what each command asks of its host, the chord
// control's recording, and that it tells its host once when it closes (and
// never when it is destroyed with its object).
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "core/ui/settings_layout.h"
#include "platform/win32/win32_controls.h"
#include "shell/ui/button_proc_win32.h"
#include "shell/ui/renderer_win32.h"
#include "shell/ui/settings_window_win32.h"
#include "ui_test_support_win32.h"

namespace tf {
namespace {

class FakeHost final : public ButtonHost, public SettingsWindowHost {
public:
    const Settings& settings() const override { return settings_; }
    UiState uiState() const override { return state; }
    bool recordingChord() const override { return recording != nullptr; }
    std::wstring chordText() const override { return L"F9"; }
    void endChordRecording() override {
        recording = nullptr;
        ++ended;
    }
    bool copiedNoticeShown() const override { return false; }
    void setUiState(UiState to) override {
        if (isUiTransitionAllowed(state, to)) state = to;
        states.push_back(to);
    }
    ChordNotice chordNotice() const override { return ChordNotice::None; }
    void beginChordRecording(HWND control) override { recording = control; }
    void runSharedCommand(HWND window, ControlId command) override { shared.emplace_back(window, command); }
    void flipSwitch(ControlId id) override { flipped.push_back(id); }
    void checkForUpdates() override { ++updateChecks; }
    void lendSlot(ControlId id, HWND control) override { lent[id] = control; }
    void settingsWindowClosing() override {
        ++closings;
        windowExistedWhenClosing = IsWindow(window->handle()) != FALSE;
    }

    Settings settings_;
    UiState state = UiState::Home;
    HWND recording = nullptr;
    int ended = 0;
    std::vector<UiState> states;
    std::vector<std::pair<HWND, ControlId>> shared;
    std::vector<ControlId> flipped;
    int updateChecks = 0;
    std::map<ControlId, HWND> lent;
    int closings = 0;
    bool windowExistedWhenClosing = false;
    const SettingsWindow* window = nullptr;
};

class SettingsWindowAlone : public ::testing::Test {
protected:
    void SetUp() override {
        setSvgSourceForTests(&test::iconDocumentFromSources);
        host_.settings_.language = UiLanguage::English;
        host_.window = &window_;
        owner_ = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPED, 100, 100, 620, 380, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(owner_, nullptr);
        ASSERT_TRUE(window_.open(owner_));
        ASSERT_NE(window_.handle(), nullptr);
    }
    void TearDown() override {
        window_.close();
        DestroyWindow(owner_);
        test::pumpMessages(nullptr, 50);
    }
    void command(ControlId id) { SendMessageW(window_.handle(), WM_COMMAND, idNumber(id), 0); }
    HWND child(ControlId id) { return GetDlgItem(window_.handle(), idNumber(id)); }

    FakeHost host_;
    OwnerButtons buttons_{host_};
    SettingsWindow window_{GetModuleHandleW(nullptr), host_, buttons_};
    HWND owner_ = nullptr;
};

TEST_F(SettingsWindowAlone, LendsItsSettingsControlsAndKeepsItsNavigation) {
    std::vector<ControlId> expected = {ControlId::CaptureFolderBox, ControlId::ChooseFolder, ControlId::Feedback};
    for (const SettingsRow& row : kSettingsRows) expected.push_back(row.control);
    EXPECT_EQ(host_.lent.size(), expected.size());
    for (ControlId id : expected) {
        ASSERT_EQ(host_.lent.count(id), 1u) << idNumber(id);
        EXPECT_EQ(host_.lent[id], child(id)) << idNumber(id);
        EXPECT_EQ(GetParent(host_.lent[id]), window_.handle()) << idNumber(id);
    }
    for (ControlId id : {ControlId::GeneralNavigation, ControlId::HelpNavigation, ControlId::AboutNavigation,
                         ControlId::CheckUpdates}) {
        EXPECT_EQ(host_.lent.count(id), 0u) << idNumber(id);
        EXPECT_NE(child(id), nullptr) << idNumber(id);
    }
    // Every button is one of the shared owner-drawn buttons; the folder box is a static.
    EXPECT_EQ(OwnerButtons::of(child(ControlId::Language)), &buttons_);
    EXPECT_EQ(OwnerButtons::of(child(ControlId::HelpNavigation)), &buttons_);
    EXPECT_EQ(OwnerButtons::of(child(ControlId::CaptureFolderBox)), nullptr);
    EXPECT_FALSE(IsWindowEnabled(owner_));
    EXPECT_EQ(GetWindow(window_.handle(), GW_OWNER), owner_);
    wchar_t title[64] = {};
    GetWindowTextW(window_.handle(), title, 64);
    EXPECT_EQ(std::wstring(title), L"Tallyframe - Settings");
    // A second open brings up the same window and lends nothing again.
    const HWND first = window_.handle();
    host_.lent.clear();
    EXPECT_TRUE(window_.open(owner_));
    EXPECT_EQ(window_.handle(), first);
    EXPECT_TRUE(host_.lent.empty());
}

TEST_F(SettingsWindowAlone, EachCommandAsksItsHostForWhatItSays) {
    for (const SettingsRow& row : kSettingsRows) {
        if (row.kind == SettingsRowControl::Switch) command(row.control);
    }
    std::vector<ControlId> switches;
    for (const SettingsRow& row : kSettingsRows) {
        if (row.kind == SettingsRowControl::Switch) switches.push_back(row.control);
    }
    EXPECT_EQ(host_.flipped, switches);

    for (ControlId id : {ControlId::ChooseFolder, ControlId::Language, ControlId::Feedback}) command(id);
    const std::vector<std::pair<HWND, ControlId>> shared = {{window_.handle(), ControlId::ChooseFolder},
                                                            {window_.handle(), ControlId::Language},
                                                            {window_.handle(), ControlId::Feedback}};
    EXPECT_EQ(host_.shared, shared);
    command(ControlId::CheckUpdates);
    EXPECT_EQ(host_.updateChecks, 1);
    EXPECT_EQ(host_.flipped.size(), switches.size());  // none of those flipped anything

    // From Home, the general page is where the window already is; help goes
    // through it, as the transition table wants.
    command(ControlId::GeneralNavigation);
    EXPECT_TRUE(host_.states.empty());
    command(ControlId::HelpNavigation);
    EXPECT_EQ(host_.states, (std::vector<UiState>{UiState::SettingsGeneral, UiState::SettingsHelp}));
    EXPECT_EQ(host_.state, UiState::SettingsHelp);
    command(ControlId::AboutNavigation);
    EXPECT_EQ(host_.state, UiState::SettingsAbout);
    EXPECT_EQ(host_.states.size(), 3u);
}

TEST_F(SettingsWindowAlone, TheChordControlStartsAndEndsARecording) {
    const HWND chord = child(ControlId::CaptureHotkey);
    ASSERT_NE(chord, nullptr);
    command(ControlId::CaptureHotkey);
    EXPECT_EQ(host_.recording, chord);
    EXPECT_EQ(GetFocus(), chord);
    command(ControlId::CaptureHotkey);
    EXPECT_EQ(host_.recording, nullptr);
    EXPECT_GE(host_.ended, 1);
}

TEST_F(SettingsWindowAlone, ClosingTellsTheHostOnceWhileTheWindowStillExists) {
    const HWND window = window_.handle();
    SendMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(window_.handle(), nullptr);
    EXPECT_FALSE(window_.isOpen());
    EXPECT_EQ(host_.closings, 1);
    EXPECT_TRUE(host_.windowExistedWhenClosing);
    // Calls on a closed window do nothing.
    window_.close();
    window_.refresh();
    window_.applyLanguage();
    window_.showCaptureFolder();
    EXPECT_EQ(host_.closings, 1);
}

TEST(SettingsWindowObject, GoingWithItsObjectDestroysTheWindowWithoutTellingTheHost) {
    FakeHost host;
    OwnerButtons buttons{host};
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPED, 0, 0, 300, 200, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owner, nullptr);
    HWND window = nullptr;
    {
        SettingsWindow settings(GetModuleHandleW(nullptr), host, buttons);
        host.window = &settings;
        ASSERT_TRUE(settings.open(owner));
        window = settings.handle();
        ASSERT_TRUE(IsWindow(window));
    }
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(host.closings, 0);
    DestroyWindow(owner);
}

}  // namespace
}  // namespace tf
