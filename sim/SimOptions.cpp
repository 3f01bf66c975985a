#include "sim/SimOptions.h"

#include "core/Numbers.h"

#include <QCommandLineParser>

void AddSimFaultOptions(QCommandLineParser& parser)
{
    parser.addOption({QStringLiteral("silent"), QStringLiteral("Read commands but never answer.")});
    parser.addOption({QStringLiteral("delay"), QStringLiteral("Answer <ms> milliseconds late."), QStringLiteral("ms")});
    parser.addOption({QStringLiteral("split"), QStringLiteral("Send every answer frame in two writes.")});
    parser.addOption({QStringLiteral("junk"), QStringLiteral("Send junk bytes before every answer frame.")});
    parser.addOption({QStringLiteral("malformed"),
                      QStringLiteral("Damage every answer: too-few (fields) or non-numeric (values)."),
                      QStringLiteral("kind")});
    parser.addOption({QStringLiteral("battery-every"),
                      QStringLiteral("Send an unsolicited P16 battery report every <ms> milliseconds."),
                      QStringLiteral("ms")});
    parser.addOption({QStringLiteral("hang-up-after"),
                      QStringLiteral("Hang up the line after answering <n> commands."), QStringLiteral("n")});
    parser.addOption({QStringLiteral("stop-reading"),
                      QStringLiteral("Never read the line, so that the program's writes pile up until they block.")});
    parser.addOption({QStringLiteral("byte-gap"),
                      QStringLiteral("Send every answer one byte at a time, <ms> milliseconds apart."),
                      QStringLiteral("ms")});
    parser.addOption({QStringLiteral("ignore-write"),
                      QStringLiteral("Answer writes of command <n> like its read, changing nothing."),
                      QStringLiteral("n")});
    parser.addOption({QStringLiteral("empty-slot-zero"),
                      QStringLiteral("Answer an empty authorization slot with \"0\" instead of an empty field.")});
}

namespace {

bool ReadCount(const QCommandLineParser& parser, const char* name, int32_t& value, QString* error)
{
    const QString option = QString::fromLatin1(name);
    if (!parser.isSet(option))
        return true;
    if (TryStrToInt(parser.value(option), value) && value >= 0)
        return true;
    if (error)
        *error = QStringLiteral("--%1 needs a whole number of 0 or more, not \"%2\"").arg(option, parser.value(option));
    return false;
}

} // namespace

bool ReadSimFaultOptions(const QCommandLineParser& parser, TSimFaults& faults, QString* error)
{
    faults.Silent = parser.isSet(QStringLiteral("silent"));
    faults.SplitFrames = parser.isSet(QStringLiteral("split"));
    faults.Junk = parser.isSet(QStringLiteral("junk"));
    faults.StopsReading = parser.isSet(QStringLiteral("stop-reading"));
    faults.EmptySlotAsZero = parser.isSet(QStringLiteral("empty-slot-zero"));
    if (!ReadCount(parser, "delay", faults.DelayMs, error) ||
        !ReadCount(parser, "battery-every", faults.BatteryEveryMs, error) ||
        !ReadCount(parser, "hang-up-after", faults.HangUpAfter, error) ||
        !ReadCount(parser, "byte-gap", faults.ByteGapMs, error) ||
        !ReadCount(parser, "ignore-write", faults.IgnoreWriteCmd, error))
        return false;
    if (parser.isSet(QStringLiteral("malformed"))) {
        const QString kind = parser.value(QStringLiteral("malformed"));
        if (kind == QStringLiteral("too-few"))
            faults.Malformed = TSimFaults::TMalformed::TooFewFields;
        else if (kind == QStringLiteral("non-numeric"))
            faults.Malformed = TSimFaults::TMalformed::NonNumeric;
        else {
            if (error)
                *error = QStringLiteral("--malformed takes too-few or non-numeric, not \"%1\"").arg(kind);
            return false;
        }
    }
    return true;
}
