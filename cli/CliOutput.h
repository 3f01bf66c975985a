#pragma once

#include <QJsonObject>
#include <QString>

// What tovrik-cli prints: human lines on stdout (problems on stderr), or with --json one JSON
// object per line on stdout for a factory system to read. tovrik-assistant --provision prints
// through it too, in its own words: "step 2/5: ..." and "written ..., read back ...".
class TCliOutput {
public:
    enum class TStyle { Cli, Provision };

    explicit TCliOutput(bool json, TStyle style = TStyle::Cli) : FJson(json), FStyle(style) {}
    bool Json() const { return FJson; }
    TStyle Style() const { return FStyle; }

    // A line for people; in JSON mode an object {"event": "info", "text": ...}.
    void Info(const QString& text) const;
    // A problem: stderr for people; {"event": "problem", "text": ...} in JSON mode.
    void Problem(const QString& text) const;
    // A step of an operation: its word for a program reading JSON ("identify", "read"), its
    // text for people ("Asking the tracker who it is") and the progress 0..100.
    void Step(const QString& word, const QString& text, int percent) const;
    // Step `index` of `count` of a provisioning run, for people (JSON lines carry their port and
    // are the caller's): "text (40%)" for tovrik-cli, "step 2/5: text" for --provision.
    void RunStep(int index, int count, const QString& text, int percent) const;
    // Any object, as one JSON line (JSON mode) or nothing.
    void Object(const QJsonObject& object) const;

private:
    void StepLine(const QString& text, int percent) const;
    void Bar(int percent) const;

    bool FJson;
    TStyle FStyle;
};
