#pragma once

#include <QObject>
#include <Qt>

class QWidget;

// Per-key filters: each typed character is let through or discarded before the field takes it.
// Backspace and keys without text (arrows, shortcuts) always pass; pasted text is not filtered.
enum class TKeyFilter { Digits, SignedNumber, Phone, Coordinate, Name };

// True when the filter lets the typed character through.
bool KeyFilterAccepts(TKeyFilter filter, QChar c);

// Keys held with Alt, Ctrl or Meta (but not Ctrl+Alt, which is AltGr on some systems) are
// shortcuts, never typed text: a filter lets them pass to the window's shortcuts and the field's
// own key bindings (Ctrl+V, Ctrl+A) untouched.
bool IsShortcutKey(Qt::KeyboardModifiers modifiers);

// From now on no text field of the program (line edits, editable combo boxes, spin boxes) types
// the character of a key held with Alt, Ctrl or Meta: Alt+W whose button is disabled does
// nothing rather than typing "w". Installed once for the whole application.
void KeepShortcutKeysOutOfFields();

// Attaches the filter to a field (an edit or an editable combo box); a later call replaces it.
void InstallKeyFilter(QWidget* field, TKeyFilter filter);
