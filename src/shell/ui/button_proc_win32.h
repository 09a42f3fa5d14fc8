#pragma once
// The procedure every owner-drawn button of both windows is subclassed with:
// hover tracking for the hot look, the hand cursor on link-like controls, the
// Settings button's focus-ring rule, and the UI Automation element.

#include <windows.h>

#include <string>

#include "core/app/control_ids.h"
#include "core/app/ui_state.h"
#include "core/settings/settings.h"
#include "shell/ui/page_painter_win32.h"

namespace tf {

// What the owner-drawn buttons read of the program, and the one thing they
// ask of it. The program implements it; it outlives every button.
class ButtonHost {
public:
    virtual const Settings& settings() const = 0;
    virtual UiState uiState() const = 0;
    // The Copy image button shows "Copied" now.
    virtual bool copiedNoticeShown() const = 0;
    // The chord control waits for a key chord, and the text it shows.
    virtual bool recordingChord() const = 0;
    virtual std::wstring chordText() const = 0;
    // The chord control lost the keyboard focus: the recording ends.
    virtual void endChordRecording() = 0;

protected:
    ~ButtonHost() = default;
};

// The buttons' shared look across both windows: which one the mouse is over,
// and whether the Settings button draws its focus ring. Each subclassed
// button carries a pointer to this object (the subclass's reference data).
class OwnerButtons {
public:
    explicit OwnerButtons(ButtonHost& host) : host_(host) {}
    OwnerButtons(const OwnerButtons&) = delete;
    OwnerButtons& operator=(const OwnerButtons&) = delete;

    // Installs the shared procedure on `button` (null is skipped).
    void subclass(HWND button);
    // The object a subclassed button of ours carries; null for any other
    // window and for a button already destroyed.
    static OwnerButtons* of(HWND button);

    // Set when the settings window has just closed: the Settings button then
    // draws no focus ring until the mouse or a focus change touches it.
    void suppressSettingsFocusRing(bool suppressed) { settingsRingSuppressed_ = suppressed; }
    bool settingsFocusRingSuppressed() const { return settingsRingSuppressed_; }
    HWND hover() const { return hover_; }
    const ButtonHost& host() const { return host_; }

    // What the painter needs for a button of the main window or, with
    // `inSettingsWindow`, of the settings window.
    ButtonView view(bool inSettingsWindow) const;

private:
    static LRESULT CALLBACK proc(HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self);
    LRESULT handle(HWND button, UINT message, WPARAM wParam, LPARAM lParam);

    ButtonHost& host_;
    HWND hover_ = nullptr;  // the button under the mouse, or null
    bool settingsRingSuppressed_ = false;
};

}  // namespace tf
