#include "fleet/TrackerSession.h"

#include "core/AppError.h"
#include "i18n/Language.h"

#include <QEventLoop>
#include <QTimer>

TTrackerSession::TTrackerSession(QObject* parent)
    : QObject(parent), FQueue(new TCmdQueue(*this, *this))
{
    FQueue->SetWithoutNestedLoops(true); // several sessions share one thread
    FPort.OnRxChar = [this](int32_t count) { FQueue->AppendReceived(FPort.ReadBytes(count)); };
    FPort.OnLineLost = [this](const QString& message) {
        FLastError = message;
        emit LineLost(message);
        if (FRunning) {
            FQueue->AbortCmdQueue();
            End(TExchangeResult::NoAnswer);
        }
    };
}

TTrackerSession::~TTrackerSession()
{
    FPort.OnLineLost = nullptr;
    FPort.OnRxChar = nullptr;
    FQueue->AbortCmdQueue();
}

void TTrackerSession::Open(const QString& device)
{
    FPort.SetPort(device);
    FPort.OpenPort();
}

void TTrackerSession::Close()
{
    Stop();
    if (FPort.Connected())
        FPort.ClosePort();
}

bool TTrackerSession::IsOpen() const { return FPort.Connected(); }

void TTrackerSession::WriteFrame(const QByteArray& frame) { FPort.WriteBytes(frame); }

void TTrackerSession::Run(const QList<TCmdItem>& requests)
{
    FQueue->ClearCmdQueue();
    for (const TCmdItem& item : requests)
        FQueue->QueueCmd(item.CmdNo, item.RWFlag, item.IsTCmd != 0, item.ParamText);
    FLastError.clear();
    FRunning = true;
    ++FRunId;
    FTotal = int(requests.size());
    try {
        FQueue->StartCmdQueue(true);
    } catch (const EAppError& e) {
        FLastError = e.Message();
        FQueue->AbortCmdQueue();
        FQueue->SetBusy(false);
        End(TExchangeResult::NoAnswer);
        return;
    }
    if (!FQueue->IsBusy()) // nothing to send, or the port was closed
        End(requests.isEmpty() ? TExchangeResult::Answered : TExchangeResult::NoAnswer);
}

void TTrackerSession::Stop()
{
    if (!FRunning)
        return;
    FQueue->AbortCmdQueue();
    End(TExchangeResult::Stopped);
}

TExchangeResult TTrackerSession::RunAndWait(const QList<TCmdItem>& requests)
{
    TExchangeResult result = TExchangeResult::NoAnswer;
    QEventLoop loop;
    const QMetaObject::Connection c = connect(this, &TTrackerSession::Finished, &loop, [&](TExchangeResult r) {
        result = r;
        loop.quit();
    });
    bool ended = false;
    const QMetaObject::Connection e = connect(this, &TTrackerSession::Finished, this, [&] { ended = true; });
    Run(requests);
    if (!ended)
        loop.exec();
    disconnect(c);
    disconnect(e);
    return result;
}

void TTrackerSession::End(TExchangeResult result)
{
    if (!FRunning)
        return;
    FRunning = false;
    emit Finished(result);
}

void TTrackerSession::SetCommandButtonsEnabled(bool enabled)
{
    // The queue turns the buttons back on when its exchange ends: every item answered, the
    // time-out, or a closed port. Looked at once the queue has finished its own step.
    if (!enabled || !FRunning)
        return;
    QTimer::singleShot(0, this, [this, run = FRunId] {
        if (!FRunning || run != FRunId || FQueue->IsBusy())
            return;
        const bool answered = FQueue->Count() == 0 && FQueue->ProgressCounter() <= 0;
        End(answered ? TExchangeResult::Answered : TExchangeResult::NoAnswer);
    });
}

void TTrackerSession::SetProgressTotal(int total) { FTotal = total; }

void TTrackerSession::SetProgressComplete(int complete) { emit Progress(complete, FTotal); }

void TTrackerSession::LogSent(const QString& word, const QByteArray& commandText)
{
    emit LogLine(word + QStringLiteral(": ") + QString::fromLocal8Bit(commandText));
}

void TTrackerSession::LogReceived(const QString& word, const QByteArray& payload)
{
    emit LogLine(word + QStringLiteral(": ") + QString::fromLocal8Bit(payload));
}

QString TTrackerSession::Translate(const QString& text) { return ::Translate(text); }

void TTrackerSession::DispatchResponse(const QByteArray& payload)
{
    if (payload.isEmpty())
        return;
    try {
        FSettings.ApplyAnswer(payload);
    } catch (const EAppError& e) {
        // Dropped, as the window drops it: the time-out ends the exchange; the answer, with its
        // tag, tells what ended it.
        FLastError = QStringLiteral("the answer %1 was dropped (%2)").arg(QString::fromLocal8Bit(payload), e.Message());
        throw;
    }
    FQueue->AdvanceCmdQueue();
}
