#pragma once

#include <QObject>

class QWidget;

// Per-key filters: each typed character is let through or discarded before the field takes it.
// Backspace and keys without text (arrows, shortcuts) always pass; pasted text is not filtered.
enum class TKeyFilter { Digits, SignedNumber, Phone, Coordinate, Name };

// True when the filter lets the typed character through.
bool KeyFilterAccepts(TKeyFilter filter, QChar c);

// Attaches the filter to a field (an edit or an editable combo box); a later call replaces it.
void InstallKeyFilter(QWidget* field, TKeyFilter filter);
