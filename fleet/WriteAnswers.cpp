#include "fleet/WriteAnswers.h"

#include "core/Numbers.h"
#include "geo/FenceCommands.h"
#include "i18n/ProgramTexts.h"
#include "params/TrackerSettings.h"

#include <QLocale>

bool SameWireValue(const QString& a, const QString& b)
{
    int32_t x = 0;
    int32_t y = 0;
    if (TryStrToInt(TrimText(a), x) && TryStrToInt(TrimText(b), y))
        return x == y;
    return a == b;
}

namespace {

// The value positions of a write, after the leading comma of its parameter text.
QList<QByteArray> WrittenValues(const TCmdItem& write)
{
    return write.ParamText.isEmpty() ? QList<QByteArray>() : write.ParamText.mid(1).split(',');
}

bool SameValue(const QByteArray& written, const QByteArray& answered)
{
    const QString a = QString::fromLocal8Bit(written);
    const QString b = QString::fromLocal8Bit(answered);
    if (SameWireValue(a, b))
        return true;
    // Coordinates and other decimals: the tracker may keep "5231.2" for "5231.2000".
    bool okA = false;
    bool okB = false;
    const double x = QLocale::c().toDouble(a, &okA);
    const double y = QLocale::c().toDouble(b, &okB);
    return okA && okB && x == y;
}

QString Joined(const QList<QByteArray>& values)
{
    QByteArrayList list(values.begin(), values.end());
    return QString::fromLocal8Bit(list.join(','));
}

// The names of the settings the write of the command (and entry) carries, in its order.
QList<QString> NamesOf(int32_t cmdNo, int32_t entry)
{
    QList<QString> names;
    for (const TSettingDef& d : SettingDefs())
        if (d.CmdNo == cmdNo && (d.Entry == 0 || d.Entry == entry))
            names << SettingName(d);
    return names;
}

} // namespace

QList<TFieldDifference> WriteAnswerDifferences(const TCmdItem& write, const TResponseFields& answer)
{
    const QList<QByteArray> written = WrittenValues(write);
    const QList<QByteArray> answered = answer.size() > 2 ? answer.mid(2) : QList<QByteArray>();
    const bool hasEntry = write.CmdNo == GeoFenceCmdNo || write.CmdNo == 11;
    const int32_t entry = hasEntry && !written.isEmpty() ? StrToIntDef(QString::fromLatin1(written[0]), 0) : 0;

    QString wholeName;
    QList<QString> names;
    if (write.CmdNo == GeoFenceCmdNo) {
        wholeName = TranslateText("verify_fence").arg(entry);
    } else {
        names = NamesOf(write.CmdNo, entry);
        wholeName = names.isEmpty() ? QStringLiteral("P%1").arg(write.CmdNo, 2, 10, QLatin1Char('0')) : names.first();
    }

    const auto whole = [&](int from) {
        return QList<TFieldDifference>{TFieldDifference{wholeName, Joined(written.mid(from)), Joined(answered.mid(from))}};
    };
    // An answer of another shape, or for another entry, differs as a whole.
    if (answered.size() != written.size())
        return whole(0);
    if (hasEntry && !SameValue(written[0], answered[0]))
        return whole(0);
    const int first = hasEntry ? 1 : 0;
    if (write.CmdNo == GeoFenceCmdNo) {
        for (int i = first; i < written.size(); ++i)
            if (!SameValue(written[i], answered[i]))
                return whole(first);
        return {};
    }
    QList<TFieldDifference> differences;
    for (int i = first; i < written.size(); ++i) {
        if (SameValue(written[i], answered[i]))
            continue;
        const int n = i - first;
        const QString name = n < names.size() ? names[n] : wholeName;
        differences << TFieldDifference{name, QString::fromLocal8Bit(written[i]), QString::fromLocal8Bit(answered[i])};
    }
    return differences;
}

QString AnswerDifferenceLines(const QList<TFieldDifference>& differences)
{
    QStringList lines;
    for (const TFieldDifference& d : differences)
        lines << TranslateText("verify_row_answer").arg(d.Name, d.Expected, d.Actual);
    return lines.join(QLatin1Char('\n'));
}
