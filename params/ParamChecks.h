#pragma once

#include <QByteArray>
#include <QString>

// Checks made on the pages' fields before their values go to the tracker, and the one way a
// field's text becomes parameter bytes.

// The product title, the caption of the plain message boxes (as the application's title).
inline constexpr const char* ApplicationTitle = "Tovrik Assistant";

// A phone number: one optional leading "+", then digits only. An empty text and "+" alone pass.
bool IsPhoneNumberText(const QString& text);

// The tracker separates values by "," and frames a command by "(" ")" and "!": a value holding
// one of these would shift every following value into the wrong setting (or cut the frame).
bool HasCommandBreakingChar(const QString& text);

// The field's text as it goes on the wire: 8-bit text in the system code page.
QByteArray WireText(const QString& text);
// An answer field as it is shown: exactly as received, decoded from the system code page.
QString FieldText(const QByteArray& field);
