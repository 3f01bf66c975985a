#include "params/ParamChecks.h"

bool IsPhoneNumberText(const QString& text)
{
    qsizetype i = text.startsWith(QLatin1Char('+')) ? 1 : 0;
    for (; i < text.size(); ++i) {
        const ushort c = text.at(i).unicode();
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

bool HasCommandBreakingChar(const QString& text)
{
    for (QChar c : text)
        if (c == QLatin1Char(',') || c == QLatin1Char('(') || c == QLatin1Char(')') || c == QLatin1Char('!'))
            return true;
    return false;
}

QByteArray WireText(const QString& text) { return text.toLocal8Bit(); }

QString FieldText(const QByteArray& field) { return QString::fromLocal8Bit(field); }
