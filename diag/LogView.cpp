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
    FFlushTimer.setSingleShot(true);
    FFlushTimer.setInterval(FlushIntervalMs);
    connect(&FFlushTimer, &QTimer::timeout, this, &TLogView::Flush);
}

void TLogView::AppendLine(const QString& line)
{
    FPending << line;
    if (!FFlushTimer.isActive()) // a running timer is not postponed by further lines
        FFlushTimer.start();
}

void TLogView::Flush()
{
    FFlushTimer.stop();
    if (FPending.isEmpty())
        return;
    QTextDocument* doc = document();
    // A log of one empty line, or text the user typed into an empty view, is followed by a new
    // block; an empty view takes the first line into the block it already has.
    const bool newBlock = FHasLines || !doc->isEmpty();
    QString text = FPending.join(QLatin1Char('\n'));
    if (newBlock)
        text.prepend(QLatin1Char('\n'));
    FPending.clear();
    FHasLines = true;

    QScrollBar* bar = verticalScrollBar();
    const bool atBottom = bar->value() == bar->maximum();
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text); // each "\n" starts a new block
    if (atBottom) // follow the log unless the user has scrolled up to read
        bar->setValue(bar->maximum());
}

void TLogView::ClearLog()
{
    FFlushTimer.stop();
    FPending.clear();
    clear();
    FHasLines = false;
}

QStringList TLogView::Lines()
{
    Flush();
    if (!FHasLines && document()->isEmpty())
        return {};
    QStringList lines;
    lines.reserve(document()->blockCount());
    for (QTextBlock block = document()->firstBlock(); block.isValid(); block = block.next())
        lines << block.text();
    return lines;
}

qsizetype TLogView::LineCount()
{
    Flush();
    return (!FHasLines && document()->isEmpty()) ? 0 : document()->blockCount();
}
