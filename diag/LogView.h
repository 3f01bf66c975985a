#pragma once

#include <QPlainTextEdit>
#include <QStringList>
#include <QTimer>

// One view of the communication log, for a log that may run for days. Lines are only ever
// added at the end, into a plain-text block list without undo history. Laying out a line's text
// is what costs (about 50 to 100 microseconds a line here, and Qt lays out every singly appended
// line at once, visible or not), so lines are gathered and added together at most every
// FlushIntervalMs: then only the lines on screen are ever laid out, and the cost of a line
// stays the same however long the log has grown.
class TLogView : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TLogView(QWidget* parent = nullptr);

    static constexpr int FlushIntervalMs = 50;

    // Adds the line as the new last line; an empty line counts as a line.
    void AppendLine(const QString& line);
    void ClearLog();
    // Writes the gathered lines into the view now. Lines() and LineCount() do this themselves;
    // anyone reading the document directly calls it first.
    void Flush();
    // The lines as they stand in the view (the user may have edited an editable view).
    QStringList Lines();
    qsizetype LineCount();

private:
    QStringList FPending;
    QTimer FFlushTimer;
    // The document of an empty view holds one empty block, which is also what a log of one empty
    // line looks like; this tells the two apart.
    bool FHasLines = false;
};
