#include "app/ProvisionCommandLine.h"

#include "cli/CliCommands.h"
#include "core/Dialogs.h"

#include <cstdio>

int RunProvisionCommandLine(const TProvisionOptions& options)
{
    // Boxes become lines: a run without a window has no one to close them.
    Dialogs::SetMessageHandler([](const TMessageRequest& r) {
        std::fprintf(stderr, "tovrik-assistant: %s\n", QString(r.Text).replace('\n', QStringLiteral("; ")).toLocal8Bit().constData());
    });
    for (const QString& port : options.Ports) {
        bool digits = !port.isEmpty();
        for (const QChar c : port)
            digits = digits && c.isDigit();
        if (!digits && !port.contains(QLatin1Char('/'))) {
            std::fprintf(stderr, "tovrik-assistant: --port takes a port number or a device path, not \"%s\"\n",
                         port.toLocal8Bit().constData());
            return CliExitUsage;
        }
    }
    // The same run as tovrik-cli provision, in this program's words.
    TCliOptions cli;
    cli.Ports = options.Ports;
    cli.ParamsFile = options.ParamsFile;
    cli.FenceFile = options.FenceFile;
    cli.ReportFile = options.ReportFile;
    cli.VerifyOnly = options.VerifyOnly;
    return CliProvision(cli, TCliOutput(false, TCliOutput::TStyle::Provision));
}
