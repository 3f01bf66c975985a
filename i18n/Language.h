#pragma once

#include <QString>

// The current language's text for an English source text, or the text itself.
// Every text the user sees passes through it.
QString Translate(const QString& text);
