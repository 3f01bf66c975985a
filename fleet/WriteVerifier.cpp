#include "fleet/WriteVerifier.h"

#include "core/AppError.h"
#include "core/Dialogs.h"
#include "fleet/ReadBack.h"
#include "fleet/ShadowSettings.h"
#include "i18n/Language.h"
#include "i18n/ProgramTexts.h"
#include "params/ResponseDispatcher.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QEvent>
#include <QTabWidget>

TWriteVerifier::TWriteVerifier(const TFleetTargets& targets, QCheckBox* verifyBox, QTabWidget* pgCtrl,
                               QCheckBox* tipBox, QObject* parent)
    : QObject(parent), T(targets), FVerify(verifyBox), FPages(pgCtrl), FTip(tipBox)
{
    // A close during a verification ends it: nothing more is sent, no box is shown.
    if (T.Window)
        T.Window->installEventFilter(this);
}

bool TWriteVerifier::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == T.Window && event->type() == QEvent::Close && FRunning)
        FClosing = true;
    return QObject::eventFilter(watched, event);
}

void TWriteVerifier::Attach(QAbstractButton* writeButton)
{
    connect(writeButton, &QAbstractButton::clicked, this, &TWriteVerifier::AfterWriteClick);
}

void TWriteVerifier::AfterWriteClick()
{
    try {
        VerifyRunningWrite();
    } catch (const EAppError& e) {
        Dialogs::ShowMessage(Translate(QStringLiteral("Error")), e.Message(), TMsgIcon::Error);
    } catch (const std::exception& e) {
        Dialogs::ShowMessage(Translate(QStringLiteral("Error")), QString::fromLocal8Bit(e.what()), TMsgIcon::Error);
    }
}

void TWriteVerifier::VerifyRunningWrite()
{
    TCmdQueue& queue = *T.Dispatch.Queue;
    // A refused Write queued nothing, or left its items unsent: nothing to verify.
    if (!FVerify->isChecked() || FRunning || !queue.IsBusy() || !queue.HeadSent())
        return;
    const QList<TCmdItem> writes = queue.CmdQueue();
    const QList<TSettingField> sent = FieldsWrittenBy(PageFields(*T.Dispatch.Main, *T.Dispatch.Alarm)
                                                          << RadiusField(*T.Dispatch.HotSpot),
                                                      writes);
    FRunning = true;
    FClosing = false;
    const auto stopped = [this] { return FClosing; };
    struct TRunningFlag {
        bool& Flag;
        ~TRunningFlag() { Flag = false; }
    } running{FRunning};

    TExchangeResult written;
    {
        // The writes' answers fill the pages as always; the tip waits for the read-back.
        const TQuietDispatcher quiet(T);
        const TDispatcherSwap swap(T, quiet.Dispatcher);
        written = WaitForExchange(queue, stopped);
    }
    if (written != TExchangeResult::Answered)
        return; // a silent tracker ends a Write silently, verified or not
    const TReadBackOutcome outcome = ReadBackAndCompare(T, ReadRequestsFor(writes), sent, {}, stopped);
    if (outcome.Result == TExchangeResult::Stopped)
        return;
    if (outcome.Result == TExchangeResult::NoAnswer) {
        Dialogs::ShowMessage(Translate(QStringLiteral("Error")), TranslateText("verify_no_answer"), TMsgIcon::Error);
        return;
    }
    if (!outcome.Differences.isEmpty()) {
        Dialogs::ShowMessage(TranslateText("verify_caption"),
                             TranslateText("verify_differs") + QLatin1Char('\n') + DifferenceLines(outcome.Differences),
                             TMsgIcon::Warning);
        return;
    }
    if (FPages->currentIndex() != TResponseDispatcher::ConsolePageIndex && FTip->isChecked())
        Dialogs::ShowMessage(Translate(QStringLiteral("Message")), Translate(QStringLiteral("Operation success !")),
                             TMsgIcon::Information);
}
