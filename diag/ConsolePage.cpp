#include "diag/ConsolePage.h"

#include "core/AppError.h"
#include "core/Clock.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "diag/ConsoleLogFile.h"
#include "diag/LogLine.h"
#include "diag/LogView.h"
#include "i18n/Language.h"
#include "i18n/ProgramTexts.h"
#include "link/CmdQueue.h"
#include "link/FrameCodec.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

QPushButton* MakeButton(const QString& name, const QString& caption, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

} // namespace

TConsolePage::TConsolePage(TCmdQueue& queue, TAppendLogLine appendLogLine, QWidget* parent)
    : QWidget(parent), FQueue(queue), FAppendLogLine(std::move(appendLogLine))
{
    setObjectName(QStringLiteral("pnlConsole"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* row = new QWidget(this);
    row->setObjectName(QStringLiteral("pnlConsoleCommand"));
    row->setFixedHeight(36);
    auto* rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(6, 4, 6, 4);
    lbl_AdvOper_ASCIICmd = new QLabel(QStringLiteral("ASCII Commands:"), row);
    lbl_AdvOper_ASCIICmd->setObjectName(QStringLiteral("lbl_AdvOper_ASCIICmd"));
    edt_Send = new QLineEdit(row);
    edt_Send->setObjectName(QStringLiteral("edt_Send"));
    btn_AdvOper_Send = MakeButton(QStringLiteral("btn_AdvOper_Send"), QStringLiteral("Send"), row);
    btn_AdvOper_Clear = MakeButton(QStringLiteral("btn_AdvOper_Clear"), QStringLiteral("Clear"), row);
    btn_AdvOper_CmdSave = MakeButton(QStringLiteral("btn_AdvOper_CmdSave"), QStringLiteral("Save"), row);
    rowLayout->addWidget(lbl_AdvOper_ASCIICmd);
    rowLayout->addWidget(edt_Send, 1);
    rowLayout->addWidget(btn_AdvOper_Send);
    rowLayout->addWidget(btn_AdvOper_Clear);
    rowLayout->addWidget(btn_AdvOper_CmdSave);
    layout->addWidget(row);

    mm_Recv = new TLogView(this);
    mm_Recv->setObjectName(QStringLiteral("mm_Recv"));
    mm_Recv->setReadOnly(true);
    layout->addWidget(mm_Recv, 1);

    connect(btn_AdvOper_Send, &QPushButton::clicked, this, &TConsolePage::btn_AdvOper_SendClick);
    // Enter in the field sends the line as the button does (the line stays for the next send).
    connect(edt_Send, &QLineEdit::returnPressed, this, &TConsolePage::btn_AdvOper_SendClick);
    connect(btn_AdvOper_Clear, &QPushButton::clicked, this, &TConsolePage::btn_AdvOper_ClearClick);
    connect(btn_AdvOper_CmdSave, &QPushButton::clicked, this, &TConsolePage::btn_AdvOper_CmdSaveClick);
    FNoAnswer.setSingleShot(true);
    connect(&FNoAnswer, &QTimer::timeout, this, &TConsolePage::NoAnswerTimer);
    FSince.start();
}

void TConsolePage::btn_AdvOper_SendClick()
{
    // The text goes out as typed: no trimming, no check of its form, empty allowed.
    const QString text = edt_Send->text();
    QByteArray frame;
    try {
        frame = EncodeFrame(text.toLocal8Bit());
    } catch (const EAppError& e) {
        // The frame's one length byte cannot describe the text; nothing is written.
        FAppendLogLine(FormatRefusedLine(Clock::Now(), TranslateText("console_not_sent").arg(e.Message())));
        return;
    }
    FAppendLogLine(FormatSentLine(Clock::Now(), ::Translate(QStringLiteral("Send")), text));
    // Beside the queue: no item, no progress, no time-out, no busy state, and the direction of
    // the last queued command stays. With the port closed this ends a running exchange and
    // nothing goes out, so nothing waits for an answer either.
    try {
        const bool goesOut = FQueue.IsChannelOpen();
        FQueue.WriteToPort(frame);
        if (goesOut)
            Await(text);
    } catch (const EAppError& e) {
        Dialogs::ShowMessage(QStringLiteral("ERROR"), e.Message(), TMsgIcon::Error);
    }
}

void TConsolePage::Await(const QString& text)
{
    FWaiting.append(TWaiting{text, FSince.elapsed() + FAnswerWaitMs});
    ScheduleNoAnswer();
}

void TConsolePage::AnswerReceived()
{
    if (FWaiting.isEmpty())
        return;
    FWaiting.removeFirst();
    ScheduleNoAnswer();
}

QStringList TConsolePage::Waiting() const
{
    QStringList texts;
    for (const TWaiting& w : FWaiting)
        texts << w.Text;
    return texts;
}

void TConsolePage::ScheduleNoAnswer()
{
    if (FWaiting.isEmpty()) {
        FNoAnswer.stop();
        return;
    }
    FNoAnswer.start(int(std::max<qint64>(0, FWaiting.first().DueMs - FSince.elapsed())));
}

void TConsolePage::NoAnswerTimer()
{
    const qint64 now = FSince.elapsed();
    while (!FWaiting.isEmpty() && FWaiting.first().DueMs <= now) {
        const TWaiting gone = FWaiting.takeFirst();
        const int seconds = (FAnswerWaitMs + 999) / 1000;
        FAppendLogLine(FormatNoticeLine(
            Clock::Now(), TranslateCount("console_no_answer", seconds).arg(gone.Text, QString::number(seconds))));
    }
    ScheduleNoAnswer();
}

void TConsolePage::btn_AdvOper_ClearClick()
{
    mm_Recv->ClearLog();
}

void TConsolePage::btn_AdvOper_CmdSaveClick()
{
    TFileRequest request;
    request.Save = true;
    // The name offered first, in the program's folder; the dialog keeps whatever extension
    // the user types and adds none. The saved file's name gains a time stamp, so choosing an
    // existing name overwrites nothing and needs no question.
    request.Folder = AppDataFolder();
    request.FileName = QString::fromLatin1(DefaultSaveName);
    request.ConfirmOverwrite = false;
    request.Filter = QStringLiteral("TXT DOC|*.txt");
    const QString chosen = Dialogs::AskFileName(request);
    if (chosen.isEmpty())
        return;
    try {
        SaveConsoleLog(ConsoleLogFileName(chosen, Clock::Now()), mm_Recv->Lines());
    } catch (const EAppError& e) {
        Dialogs::ShowMessage(QStringLiteral("ERROR"), e.Message(), TMsgIcon::Error);
    }
}
