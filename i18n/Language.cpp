#include "i18n/Language.h"

QString Translate(const QString& text)
{
    return text;
}
