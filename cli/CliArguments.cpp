#include "cli/CliArguments.h"

#include <QRegularExpression>
#include <cstdio>
#include <optional>

namespace {

const QStringList CliCommands = {QStringLiteral("detect"), QStringLiteral("read"), QStringLiteral("write"),
                                 QStringLiteral("verify"), QStringLiteral("provision")};

// The options that go with one command of tovrik-cli, or with --provision of tovrik-assistant.
struct TUsed {
    bool Port = false;
    bool Ports = false;
    bool Fences = false;
    bool FencesOut = false;
    bool Report = false;
    bool VerifyOnly = false;
    bool Json = false;
    bool Output = false;
};

// Reads one argument after another; "--name value" and "--name=value" are the same.
class TReader {
public:
    TReader(const QStringList& arguments, TCliFrontEnd front) : FArguments(arguments), FFront(front) {}

    QString Run(TCliArguments& into)
    {
        QStringList positional;
        for (FIndex = 0; FIndex < FArguments.size(); ++FIndex) {
            QString name = FArguments[FIndex];
            FInline.reset();
            if (name.startsWith(QLatin1String("--"))) {
                if (const qsizetype equals = name.indexOf(QLatin1Char('=')); equals > 0) {
                    FInline = name.mid(equals + 1);
                    name.truncate(equals);
                }
            } else if (!name.startsWith(QLatin1Char('-')) || name.size() == 1) {
                positional << name;
                continue;
            }
            if (QString error = Option(name, into); !error.isEmpty())
                return error;
            if (into.Help || into.Version) {
                // `tovrik-cli provision --help`: the help of that command.
                if (FFront == TCliFrontEnd::Cli && into.Command.isEmpty())
                    into.Command = positional.value(0);
                return QString();
            }
            if (FInline && !FTookValue)
                return QStringLiteral("%1 takes no value").arg(name);
        }
        return FFront == TCliFrontEnd::Cli ? CheckCli(positional, into) : CheckAssistant(positional, into);
    }

private:
    // The value of the option just read: inline, else the next argument. An option in its
    // place means that the value was left out: `--port --data-folder X` lacks the port.
    bool Value(QString& into)
    {
        FTookValue = true;
        if (FInline) {
            into = *FInline;
            return !into.isEmpty();
        }
        if (FIndex + 1 >= FArguments.size())
            return false;
        const QString& next = FArguments[FIndex + 1];
        if (next.size() > 1 && next.startsWith(QLatin1Char('-')))
            return false;
        into = next;
        ++FIndex;
        return true;
    }

    QString Option(const QString& name, TCliArguments& into)
    {
        FTookValue = false;
        const bool cli = FFront == TCliFrontEnd::Cli;
        TCliOptions& o = into.Options;
        if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
            into.Help = true;
        } else if (name == QLatin1String("--version") || (!cli && name == QLatin1String("-v"))) {
            into.Version = true;
        } else if (name == QLatin1String("--port")) {
            QString port;
            if (!Value(port))
                return QStringLiteral("--port needs a value");
            if (!IsPortName(port))
                return QStringLiteral("--port takes a port number (3 or COM3) or a device path, not \"%1\"").arg(port);
            o.Ports << port;
            FUsed.Port = true;
        } else if (name == QLatin1String("--ports")) {
            QString which;
            if (!Value(which) || which != QLatin1String("all"))
                return QStringLiteral("--ports takes \"all\"");
            o.AllUsbPorts = true;
            FUsed.Ports = true;
        } else if (name == QLatin1String("--data-folder")) {
            if (!Value(into.DataFolder))
                return QStringLiteral("--data-folder needs a folder");
        } else if (name == QLatin1String("--fences")) {
            if (!Value(o.FenceFile))
                return QStringLiteral("--fences needs a file");
            FUsed.Fences = true;
        } else if (name == QLatin1String("--report")) {
            if (!Value(o.ReportFile))
                return QStringLiteral("--report needs a file");
            FUsed.Report = true;
        } else if (name == QLatin1String("--verify-only")) {
            o.VerifyOnly = true;
            FUsed.VerifyOnly = true;
        } else if (name == QLatin1String("--json")) {
            into.Json = true;
            FUsed.Json = true;
        } else if (cli && name == QLatin1String("--fences-out")) {
            if (!Value(o.FenceFile))
                return QStringLiteral("--fences-out needs a file");
            FUsed.FencesOut = true;
        } else if (cli && (name == QLatin1String("-o") || name == QLatin1String("--output"))) {
            if (!Value(o.OutFile))
                return QStringLiteral("%1 needs a file").arg(name);
            FUsed.Output = true;
        } else if (!cli && name == QLatin1String("--provision")) {
            if (!Value(o.ParamsFile))
                return QStringLiteral("--provision needs a parameter file");
            into.Command = QStringLiteral("provision");
        } else if (!cli && name == QLatin1String("--simulate")) {
            into.Simulate = true;
        } else if (!cli && name == QLatin1String("--self-check")) {
            into.SelfCheck = true;
        } else {
            // In the words Qt's own parser used for this program, which scripts may look for.
            return QStringLiteral("Unknown option '%1'").arg(QString(name).remove(QRegularExpression(QStringLiteral("^-+"))));
        }
        return QString();
    }

    QString CheckCli(const QStringList& positional, TCliArguments& into)
    {
        TCliOptions& o = into.Options;
        if (positional.isEmpty())
            return QStringLiteral("no command given");
        const QString command = positional.first();
        if (!CliCommands.contains(command))
            return QStringLiteral("unknown command %1").arg(command);
        into.Command = command;
        if (o.Ports.isEmpty() && !o.AllUsbPorts)
            return QStringLiteral("%1 needs --port").arg(command);
        const bool manyPorts = command == QLatin1String("write") || command == QLatin1String("provision");
        if (!manyPorts && (o.Ports.size() > 1 || o.AllUsbPorts))
            return QStringLiteral("%1 takes one --port").arg(command);
        if (FUsed.VerifyOnly && command != QLatin1String("provision"))
            return QStringLiteral("--verify-only goes with provision");
        if (FUsed.Report && command != QLatin1String("provision"))
            return QStringLiteral("--report goes with provision");
        if (FUsed.Fences && !manyPorts)
            return QStringLiteral("--fences goes with write and provision");
        if ((FUsed.FencesOut || FUsed.Output) && command != QLatin1String("read"))
            return QStringLiteral("%1 goes with read").arg(FUsed.Output ? QStringLiteral("-o") : QStringLiteral("--fences-out"));
        const bool takesFile = command == QLatin1String("write") || command == QLatin1String("verify") ||
                               command == QLatin1String("provision");
        const QStringList files = positional.mid(1);
        if (!takesFile && !files.isEmpty())
            return QStringLiteral("%1 takes no file, not \"%2\"").arg(command, files.first());
        if (takesFile && files.size() != 1)
            return QStringLiteral("%1 takes one parameter file").arg(command);
        if (takesFile)
            o.ParamsFile = files.first();
        if (command == QLatin1String("read") && o.OutFile.isEmpty())
            return QStringLiteral("read needs -o FILE.cfg");
        return QString();
    }

    QString CheckAssistant(const QStringList& positional, const TCliArguments& into)
    {
        if (!positional.isEmpty())
            return QStringLiteral("unexpected argument '%1'").arg(positional.first());
        if (into.Command.isEmpty()) {
            const QStringList provisionOnly = {
                FUsed.Port ? QStringLiteral("--port") : QString(),
                FUsed.Ports ? QStringLiteral("--ports") : QString(),
                FUsed.Fences ? QStringLiteral("--fences") : QString(),
                FUsed.Report ? QStringLiteral("--report") : QString(),
                FUsed.VerifyOnly ? QStringLiteral("--verify-only") : QString(),
                FUsed.Json ? QStringLiteral("--json") : QString(),
            };
            for (const QString& option : provisionOnly)
                if (!option.isEmpty())
                    return QStringLiteral("%1 goes with --provision").arg(option);
            return QString();
        }
        if (into.Simulate)
            return QStringLiteral("--simulate does not go with --provision");
        if (into.SelfCheck)
            return QStringLiteral("--self-check does not go with --provision");
        if (into.Options.Ports.isEmpty() && !into.Options.AllUsbPorts)
            return QStringLiteral("--provision needs --port");
        return QString();
    }

    const QStringList& FArguments;
    const TCliFrontEnd FFront;
    qsizetype FIndex = 0;
    std::optional<QString> FInline; // the value after "=" of the option being read
    bool FTookValue = false;
    TUsed FUsed;
};

} // namespace

QString CliProgramName(TCliFrontEnd front)
{
    return front == TCliFrontEnd::Cli ? QStringLiteral("tovrik-cli") : QStringLiteral("tovrik-assistant");
}

bool IsPortName(const QString& port)
{
    if (port.contains(QLatin1Char('/')))
        return true;
    static const QRegularExpression number(QStringLiteral("^(COM)?[0-9]+$"), QRegularExpression::CaseInsensitiveOption);
    return number.match(port).hasMatch();
}

QString ParseCliArguments(const QStringList& arguments, TCliFrontEnd front, TCliArguments& into)
{
    return TReader(arguments, front).Run(into);
}

int CliUsageError(TCliFrontEnd front, const QString& error)
{
    const QByteArray program = CliProgramName(front).toLocal8Bit();
    std::fprintf(stderr, "%s: %s; see %s --help\n", program.constData(), error.toLocal8Bit().constData(),
                 program.constData());
    return CliExitUsage;
}
