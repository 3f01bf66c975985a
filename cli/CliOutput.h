#pragma once

#include <QJsonObject>
#include <QString>

// What tovrik-cli prints: human lines on stdout (problems on stderr), or with --json one JSON
// object per line on stdout for a factory system to read.
class TCliOutput {
public:
    explicit TCliOutput(bool json) : FJson(json) {}
    bool Json() const { return FJson; }

    // A line for people; in JSON mode an object {"event": "info", "text": ...}.
    void Info(const QString& text) const;
    // A problem: stderr for people; {"event": "problem", "text": ...} in JSON mode.
    void Problem(const QString& text) const;
    // A step of an operation, with its progress 0..100.
    void Step(const QString& step, int percent) const;
    // Any object, as one JSON line (JSON mode) or nothing.
    void Object(const QJsonObject& object) const;

private:
    bool FJson;
};
