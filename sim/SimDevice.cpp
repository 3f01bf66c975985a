#include "sim/SimDevice.h"

#include "core/Numbers.h"
#include "link/FrameCodec.h"

#include <QList>

namespace {

using TFields = QList<QByteArray>;

QByteArray Build(const TSimState& state, const QByteArray& tag, const TFields& values)
{
    QByteArray answer = "(" + state.Identifier + "," + tag;
    for (const QByteArray& v : values)
        answer += "," + v;
    answer += ")";
    return answer;
}

QByteArray Tag(int number)
{
    return "P" + QByteArray::number(number).rightJustified(2, '0');
}

// The values after the tag and direction; the last text value keeps any commas it contained.
TFields Params(const TFields& fields) { return fields.mid(2); }

QByteArray JoinFrom(const TFields& fields, qsizetype from)
{
    return fields.mid(from).join(',');
}

bool IsNumber(const QByteArray& text)
{
    double value = 0;
    return !text.isEmpty() && TryStrToFloat(QString::fromLatin1(text), value);
}

} // namespace

namespace SimDevice {

QByteArray Answer(TSimState& state, const QByteArray& command, bool emptySlotAsZero)
{
    if (command.size() < 2 || command.front() != '(' || command.back() != ')')
        return {};
    const TFields fields = SplitFields(command.mid(1, command.size() - 2));
    const QByteArray& head = fields[0];
    if (head.size() < 2)
        return {};
    const char kind = head[0];
    const int number = StrToIntDef(head.mid(1), -1);
    if (kind == 'T')
        return number == 1 ? Build(state, "T01", {state.StatusWord, state.Alias, state.GpsLevel, state.GsmLevel,
                                                  state.BatteryLevel})
                           : QByteArray();
    if (kind != 'P')
        return {};
    if (number == 20) {
        state.RestoreFactorySettings();
        return Build(state, "P20", {});
    }
    const bool write = fields.size() > 1 && fields[1] == "1";
    const TFields p = Params(fields);
    const QByteArray tag = Tag(number);

    switch (number) {
    case 1:
        return Build(state, tag, {state.Firmware});
    case 4:
        if (write && p.size() >= 2) {
            state.UploadInterval = p[0];
            state.UploadMode = p[1];
        }
        return Build(state, tag, {state.UploadInterval, state.UploadMode});
    case 5:
        if (write && p.size() >= 5) {
            state.IPAddress = p[0];
            state.Port = p[1];
            state.APN = p[2];
            state.APNUser = p[3];
            state.APNPassword = JoinFrom(p, 4);
        }
        return Build(state, tag, {state.IPAddress, state.Port, state.APN, state.APNUser, state.APNPassword});
    case 7:
        if (write && !p.isEmpty())
            state.Strategy = p[0];
        return Build(state, tag, {state.Strategy});
    case 8: {
        if (p.isEmpty())
            return {};
        const int n = StrToIntDef(p[0], 0);
        if (n < 1 || n > TSimState::FenceCount)
            return Build(state, tag, {p[0], "0", "0", "0", "0", ""});
        TSimFence& fence = state.Fences[size_t(n - 1)];
        if (write && p.size() >= 6)
            fence = TSimFence{p[1], p[2], p[3], p[4], JoinFrom(p, 5)};
        return Build(state, tag, {QByteArray::number(n), fence.LTLongitude, fence.LTLatitude, fence.RBLongitude,
                                  fence.RBLatitude, fence.Name});
    }
    case 9:
        if (write && !p.isEmpty())
            state.HotSpotRadius = p[0];
        return Build(state, tag, {state.HotSpotRadius});
    case 10:
        if (write && !p.isEmpty())
            state.LowBattery = p[0];
        return Build(state, tag, {state.LowBattery});
    case 11: {
        if (p.isEmpty())
            return {};
        const int n = StrToIntDef(p[0], 0);
        if (n < 1 || n > TSimState::AuthNumberCount)
            return Build(state, tag, {p[0], ""});
        QByteArray& stored = state.AuthNumbers[size_t(n - 1)];
        // "0" is how a write empties a slot; the slot is then answered as an empty field, or as
        // "0" by a tracker that answers it so.
        if (write && p.size() >= 2)
            stored = JoinFrom(p, 1) == "0" ? QByteArray() : JoinFrom(p, 1);
        return Build(state, tag, {QByteArray::number(n), stored.isEmpty() && emptySlotAsZero ? QByteArray("0") : stored});
    }
    case 12:
        if (write && !p.isEmpty())
            state.TimeDifference = p[0];
        return Build(state, tag, {state.TimeDifference});
    case 16:
        return Build(state, tag, {state.BatteryLevel});
    case 17:
        if (write && !p.isEmpty())
            state.Alias = JoinFrom(p, 0);
        return Build(state, tag, {state.Alias});
    case 18:
        if (write && !p.isEmpty())
            state.KeepAlive = p[0];
        return Build(state, tag, {state.KeepAlive});
    case 22:
        if (write && p.size() >= TSimState::AlarmChannelCount)
            for (int i = 0; i < TSimState::AlarmChannelCount; ++i)
                state.AlarmChannels[size_t(i)] = p[i];
        return Build(state, tag, TFields(state.AlarmChannels.begin(), state.AlarmChannels.end()));
    case 31:
        if (write && !p.isEmpty())
            state.GSensor = p[0];
        return Build(state, tag, {state.GSensor});
    default:
        return {};
    }
}

QByteArray ReadFormOf(const QByteArray& command)
{
    if (command.size() < 2 || command.front() != '(' || command.back() != ')')
        return command;
    const TFields fields = SplitFields(command.mid(1, command.size() - 2));
    if (fields.size() < 2 || fields[1] != "1" || !fields[0].startsWith('P'))
        return command;
    QByteArray read = "(" + fields[0] + ",0";
    // The fence and authorization commands name their entry in the first value.
    const int number = StrToIntDef(fields[0].mid(1), -1);
    if ((number == 8 || number == 11) && fields.size() > 2)
        read += "," + fields[2];
    return read + ")";
}

QByteArray BatteryReport(const TSimState& state)
{
    return Build(state, "P16", {state.BatteryLevel});
}

QByteArray Malform(const QByteArray& answer, TSimFaults::TMalformed how)
{
    if (how == TSimFaults::TMalformed::None || answer.size() < 2)
        return answer;
    TFields fields = SplitFields(answer.mid(1, answer.size() - 2));
    if (how == TSimFaults::TMalformed::TooFewFields) {
        fields = fields.mid(0, fields.size() > 2 ? 2 : 1);
    } else {
        for (qsizetype i = 2; i < fields.size(); ++i)
            if (IsNumber(fields[i]))
                fields[i] = "x" + fields[i] + "x";
    }
    return "(" + fields.join(',') + ")";
}

} // namespace SimDevice
