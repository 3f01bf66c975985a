#include "fleet/StationSlot.h"

#include "core/AppError.h"
#include "fleet/ProvisionReport.h"
#include "link/PortList.h"

#include <QFileInfo>

TStationSlot::TStationSlot(const QString& device, const TProvisionPlan& plan, QObject* parent)
    : QObject(parent), FDevice(device), FSlotName(SlotNameOf(device)), FPlan(plan), FJob(FSession, plan)
{
    FPoll.setSingleShot(true);
    FPoll.setInterval(PollMs);
    connect(&FPoll, &QTimer::timeout, this, &TStationSlot::Poll);
    connect(&FSession, &TTrackerSession::Finished, this, [this](TExchangeResult r) {
        if (FPolling) {
            FPolling = false;
            OnPollAnswer(r);
        }
    });
    connect(&FJob, &TProvisionJob::StepStarted, this, &TStationSlot::StepStarted);
    connect(&FJob, &TProvisionJob::Progress, this, &TStationSlot::Progress);
    connect(&FJob, &TProvisionJob::Identified, this, &TStationSlot::Identified);
    connect(&FJob, &TProvisionJob::Finished, this, &TStationSlot::OnJobEnded);
}

TStationSlot::~TStationSlot()
{
    FPoll.stop();
    FJob.disconnect(this);
    FSession.disconnect(this);
    FSession.Close();
}

void TStationSlot::SetState(TState state)
{
    if (FState == state)
        return;
    FState = state;
    emit StateChanged(state);
}

bool TStationSlot::EnsureOpen()
{
    if (FSession.IsOpen())
        return true;
    try {
        FSession.Open(FDevice);
        return true;
    } catch (const EAppError& e) {
        FOpenError = e.Message();
        return false;
    }
}

void TStationSlot::StartContinuous()
{
    FContinuous = true;
    FLastIdentifier.clear();
    SetState(TState::Waiting);
    Poll();
}

void TStationSlot::StartOnce()
{
    FContinuous = false;
    if (!EnsureOpen()) {
        TProvisionResult none;
        none.Error = QStringLiteral("the port could not be opened: %1").arg(FOpenError);
        OnJobEnded(none);
        return;
    }
    StartJob();
}

bool TStationSlot::Stop()
{
    const bool cut = FJob.Running();
    SetState(TState::Idle); // first: the stopped job ends without a row
    FPoll.stop();
    FPolling = false;
    FJob.Stop();
    FSession.Close();
    return cut;
}

void TStationSlot::ProvisionNow()
{
    if (FState != TState::Done || FLast.Outcome != TProvisionOutcome::Again)
        return;
    FPoll.stop();
    if (FPolling) {
        FPolling = false;
        FSession.Stop();
    }
    StartJob();
}

void TStationSlot::Poll()
{
    if (FState == TState::Idle)
        return;
    if (!EnsureOpen()) {
        // Unplugged, or not plugged yet: the tracker is gone, and the slot waits for its device.
        FLastIdentifier.clear();
        SetState(TState::NoDevice);
        FPoll.start();
        return;
    }
    if (FState == TState::NoDevice)
        SetState(TState::Waiting);
    FPolling = true;
    FSession.Identify();
}

void TStationSlot::OnPollAnswer(TExchangeResult result)
{
    if (FState == TState::Idle)
        return;
    const QString identifier = FSession.Settings().Identifier;
    if (result == TExchangeResult::Answered && !(FState == TState::Done && identifier == FLastIdentifier)) {
        // A tracker answered, and it is not the one whose result stands.
        if (Provisioned && Provisioned->contains(identifier)) {
            TProvisionResult again;
            again.Outcome = TProvisionOutcome::Again;
            again.Identifier = identifier;
            again.Firmware = FSession.Settings().Firmware;
            FLast = again;
            FLastIdentifier = identifier;
            SetState(TState::Done);
            emit TrackerEnded(again);
            FPoll.start();
            return;
        }
        StartJob();
        return;
    }
    if (result != TExchangeResult::Answered && FState == TState::Done) {
        FLastIdentifier.clear(); // taken away: wait for the next
        SetState(TState::Waiting);
    }
    FPoll.start();
}

void TStationSlot::StartJob()
{
    SetState(TState::Running);
    FJob.Start();
}

void TStationSlot::OnJobEnded(const TProvisionResult& result)
{
    if (FState == TState::Idle && result.Outcome == TProvisionOutcome::Stopped)
        return; // stopped by the station: no tracker to report
    FLast = result;
    FLastIdentifier = result.Identifier;
    if (Provisioned && result.Outcome == TProvisionOutcome::Passed)
        Provisioned->insert(result.Identifier);
    const bool tracker = result.Outcome != TProvisionOutcome::NoTracker;
    // A waiting slot whose tracker fell silent between the poll and the run has nothing to report.
    const QDateTime now = QDateTime::currentDateTime();
    const QString report = DailyReport ? ProvisionReport::DefaultPath(now.date()) : ReportPath;
    if (!report.isEmpty() && (tracker || !FContinuous)) {
        try {
            ProvisionReport::AppendRow(report, now, FDevice, result, FSlotName);
        } catch (const EAppError& e) {
            emit ReportFailed(e.Message());
        }
    }
    if (FContinuous) {
        SetState(tracker ? TState::Done : TState::Waiting);
        FPoll.start();
    } else {
        SetState(TState::Idle);
    }
    emit TrackerEnded(result);
}

QString SlotNameOf(const QString& device)
{
    for (const char* folder : {"/dev/serial/by-path", "/dev/serial/by-id"}) {
        const QString name = StableDeviceName(device, QString::fromLatin1(folder));
        if (!name.isEmpty())
            return name;
    }
    return device;
}

QStringList UsbSerialDevices()
{
    QStringList usb;
    for (const QString& device : PresentSerialDevices()) {
        const QString name = QFileInfo(device).fileName();
        // On Linux the USB adapters' names; a Windows COM port may be anything, so every one.
        if (name.startsWith(QLatin1String("ttyUSB")) || name.startsWith(QLatin1String("ttyACM")) ||
            !name.startsWith(QLatin1String("tty")))
            usb << device;
    }
    return usb;
}
