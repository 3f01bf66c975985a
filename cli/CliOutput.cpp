#include "cli/CliOutput.h"

#include <QJsonDocument>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

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
    const char* program = FStyle == TStyle::Provision ? "tovrik-assistant" : "tovrik-cli";
    std::fprintf(stderr, "%s: %s\n", program, text.toLocal8Bit().constData());
}

void TCliOutput::Step(const QString& word, const QString& text, int percent) const
{
    if (FJson)
        return Object({{"event", "step"}, {"step", word}, {"text", text}, {"progress", percent}});
    StepLine(text, percent);
}

void TCliOutput::RunStep(int index, int count, const QString& text, int percent) const
{
    if (FStyle == TStyle::Cli)
        return StepLine(text, percent);
    std::printf("step %d/%d: %s\n", index, count, text.toLocal8Bit().constData());
    Bar(percent);
}

void TCliOutput::StepLine(const QString& text, int percent) const
{
    std::printf("%s (%d%%)\n", text.toLocal8Bit().constData(), percent);
    Bar(percent);
}

void TCliOutput::Bar(int percent) const
{
    // On a terminal a bar follows, rewritten in place by the next line.
    if (isatty(STDOUT_FILENO) == 1) {
        constexpr int Width = 30;
        const int filled = Width * std::clamp(percent, 0, 100) / 100;
        std::printf("[%s%s] %3d%%\r", QByteArray(filled, '#').constData(), QByteArray(Width - filled, ' ').constData(),
                    percent);
    }
    std::fflush(stdout);
}
