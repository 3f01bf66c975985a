#include "fleet/WriteAnswers.h"

#include "core/AppError.h"
#include "core/Numbers.h"
#include "geo/FenceCommands.h"
#include "i18n/ProgramTexts.h"
#include "params/TrackerSettings.h"

namespace {

// The value positions of a write, after the leading comma of its parameter text.
QList<QByteArray> WrittenValues(const TCmdItem& write)
{
    return write.ParamText.isEmpty() ? QList<QByteArray>() : write.ParamText.mid(1).split(',');
}

QString Joined(const QList<QByteArray>& values)
{
    QByteArrayList list(values.begin(), values.end());
    return QString::fromLocal8Bit(list.join(','));
}

// Applies answer fields to a model of their own; false when the model cannot take them.
bool Apply(TTrackerSettings& model, const TResponseFields& fields, QStringList* applied = nullptr)
{
    QByteArrayList list(fields.begin(), fields.end());
    try {
        return model.ApplyAnswer("(" + list.join(',') + ")", applied);
    } catch (const EAppError&) {
        return false;
    }
}

} // namespace

QList<TFieldDifference> WriteAnswerDifferences(const TCmdItem& write, const TResponseFields& answer)
{
    const QList<QByteArray> written = WrittenValues(write);
    const QList<QByteArray> answered = answer.size() > 2 ? answer.mid(2) : QList<QByteArray>();
    const bool hasEntry = write.CmdNo == GeoFenceCmdNo || write.CmdNo == 11;
    const int32_t entry = hasEntry && !written.isEmpty() ? StrToIntDef(QString::fromLatin1(written[0]), 0) : 0;
    const QStringList keys = TTrackerSettings::KeysOf(write.CmdNo, entry);

    QString wholeName;
    if (write.CmdNo == GeoFenceCmdNo)
        wholeName = TranslateText("verify_fence").arg(entry);
    else if (!keys.isEmpty())
        wholeName = SettingName(*FindSettingDef(keys.first()));
    else
        wholeName = QStringLiteral("P%1").arg(write.CmdNo, 2, 10, QLatin1Char('0'));
    const auto whole = [&](int from) {
        return QList<TFieldDifference>{TFieldDifference{wholeName, Joined(written.mid(from)), Joined(answered.mid(from))}};
    };

    // What was written, read as the tracker's answer to it, and what the tracker answered, each
    // into a model of its own: the two compare as values, in the model's form.
    TResponseFields sentFields{answer.value(0), QByteArrayLiteral("P") + QByteArray::number(write.CmdNo).rightJustified(2, '0')};
    sentFields += written;
    TTrackerSettings sent;
    TTrackerSettings held;
    QStringList heldKeys;
    // An answer of another shape, or for another entry, differs as a whole.
    const bool sameEntry = !hasEntry || (!answered.isEmpty() && StrToIntDef(QString::fromLatin1(answered[0]), -1) == entry);
    if (answered.size() != written.size() || !sameEntry)
        return whole(0);
    if (!Apply(sent, sentFields)) // a write no model takes: its texts are all there is to compare
        return Joined(written) == Joined(answered) ? QList<TFieldDifference>() : whole(0);
    if (!Apply(held, answer, &heldKeys))
        return whole(0);
    if (write.CmdNo == GeoFenceCmdNo)
        return SameFenceValue(sent.Fences[size_t(entry - 1)], held.Fences[size_t(entry - 1)]) ? QList<TFieldDifference>()
                                                                                              : whole(1);
    for (const QString& key : keys)
        if (!heldKeys.contains(key))
            return whole(0);
    QList<TFieldDifference> differences;
    for (const TSettingDifference& d : sent.Differences(held, keys))
        differences << TFieldDifference{SettingName(*FindSettingDef(d.Key)), d.Expected, d.Actual};
    return differences;
}

QString AnswerDifferenceLines(const QList<TFieldDifference>& differences)
{
    QStringList lines;
    for (const TFieldDifference& d : differences)
        lines << TranslateText("verify_row_answer").arg(d.Name, d.Expected, d.Actual);
    return lines.join(QLatin1Char('\n'));
}
