#include "cli/CliOutput.h"

#include <QJsonDocument>
#include <cstdio>

void TCliOutput::Object(const QJsonObject& object) const
{
    if (!FJson)
        return;
    std::printf("%s\n", QJsonDocument(object).toJson(QJsonDocument::Compact).constData());
    std::fflush(stdout);
}

void TCliOutput::Info(const QString& text) const
{
    if (FJson)
        return Object({{"event", "info"}, {"text", text}});
    std::printf("%s\n", text.toLocal8Bit().constData());
    std::fflush(stdout);
}

void TCliOutput::Problem(const QString& text) const
{
    if (FJson)
        return Object({{"event", "problem"}, {"text", text}});
    std::fprintf(stderr, "tovrik-cli: %s\n", text.toLocal8Bit().constData());
}

void TCliOutput::Step(const QString& step, int percent) const
{
    if (FJson)
        return Object({{"event", "step"}, {"step", step}, {"progress", percent}});
    std::printf("%s (%d%%)\n", step.toLocal8Bit().constData(), percent);
    std::fflush(stdout);
}
