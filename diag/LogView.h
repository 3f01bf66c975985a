#pragma once

#include <QPlainTextEdit>
#include <QStringList>

// One view of the communication log. Lines are only ever added at the end, so a plain-text
// block list is used: appending costs the same with ten lines or a million, and no undo history
// is kept (days of logging would otherwise keep every appended line twice).
class TLogView : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TLogView(QWidget* parent = nullptr);

    // Adds the line as the new last line; an empty line counts as a line.
    void AppendLine(const QString& line);
    void ClearLog();
    // The lines as they stand in the view (the user may have edited an editable view).
    QStringList Lines() const;
    qsizetype LineCount() const;

private:
    // The document of an empty view holds one empty block, which is also what a log of one empty
    // line looks like; this tells the two apart.
    bool FHasLines = false;
};
