// KeyRouting.h - what Esc and Enter do in the installer window, whichever control has the focus
// (the window sees every key before its controls). Toolkit-free, so tests need no window.
#pragma once

namespace vexo::ui::win32 {

/// The control that has the focus when a key arrives.
enum class FocusKind { DirectoryField, Button, Other };

/// What the window does with a key.
enum class KeyAction {
    PassOn,         // not the window's: the focused control gets it
    EscapePressed,  // the window's key handler (Esc closes through the confirmation)
    DirectoryEnter, // the directory field's key handler (Enter installs)
    ClickFocused,   // the focused button is pressed
    ClickDefault,   // the default button is pressed
    Swallow,        // the window's: nothing happens (Enter on a disabled button)
};

struct KeyContext {
    FocusKind focus = FocusKind::Other;
    bool focusedEnabled = true;
    bool haveDefault = false; // a default button that is enabled and visible
};

/// Esc goes to the window's handler; Enter to the directory field's handler when the field has
/// the focus, to a focused button (enabled or not, it takes the key), else to the default
/// button when there is one. Other keys pass on.
inline KeyAction RouteKey(int virtualKey, const KeyContext& context) {
    constexpr int kEscape = 27;
    constexpr int kReturn = 13;
    if (virtualKey == kEscape) return KeyAction::EscapePressed;
    if (virtualKey != kReturn) return KeyAction::PassOn;
    switch (context.focus) {
    case FocusKind::DirectoryField:
        return KeyAction::DirectoryEnter;
    case FocusKind::Button:
        return context.focusedEnabled ? KeyAction::ClickFocused : KeyAction::Swallow;
    case FocusKind::Other:
        break;
    }
    return context.haveDefault ? KeyAction::ClickDefault : KeyAction::PassOn;
}

} // namespace vexo::ui::win32
