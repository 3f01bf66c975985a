#include "diag/LogView.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

TLogView::TLogView(QWidget* parent) : QPlainTextEdit(parent)
{
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void TLogView::AppendLine(const QString& line)
{
    QTextDocument* doc = document();
    if (!FHasLines) {
        // The first line goes into the block that is already there.
        FHasLines = true;
        if (!line.isEmpty())
            appendPlainText(line);
        return;
    }
    if (doc->isEmpty()) {
        // The log so far is one empty line; appendPlainText would write into that block.
        QTextCursor cursor(doc);
        cursor.movePosition(QTextCursor::End);
        cursor.insertBlock();
        cursor.insertText(line);
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
        return;
    }
    appendPlainText(line);
}

void TLogView::ClearLog()
{
    clear();
    FHasLines = false;
}

QStringList TLogView::Lines() const
{
    if (!FHasLines && document()->isEmpty())
        return {};
    QStringList lines;
    lines.reserve(document()->blockCount());
    for (QTextBlock block = document()->firstBlock(); block.isValid(); block = block.next())
        lines << block.text();
    return lines;
}

qsizetype TLogView::LineCount() const
{
    return (!FHasLines && document()->isEmpty()) ? 0 : document()->blockCount();
}
