#include "app/ProvisionCommandLine.h"

#include "core/Dialogs.h"

#include <cstdio>

int RunProvisionCommandLine(const TCliArguments& arguments)
{
    // Boxes become lines: a run without a window has no one to close them.
    Dialogs::SetMessageHandler([](const TMessageRequest& r) {
        std::fprintf(stderr, "tovrik-assistant: %s\n", QString(r.Text).replace('\n', QStringLiteral("; ")).toLocal8Bit().constData());
    });
    // The same run as tovrik-cli provision, in this program's words.
    return CliProvision(arguments.Options, TCliOutput(arguments.Json, TCliOutput::TStyle::Provision));
}
