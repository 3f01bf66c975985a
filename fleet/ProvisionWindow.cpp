#include "fleet/ProvisionWindow.h"

#include "core/AppError.h"
#include "core/Dialogs.h"
#include "fleet/CloseWatch.h"
#include "fleet/FenceFile.h"
#include "fleet/LogHold.h"
#include "fleet/ProvisionReport.h"
#include "fleet/ProvisionRun.h"
#include "i18n/Language.h"
#include "i18n/ProgramTexts.h"
#include "params/ParamsFile.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <optional>

namespace {

// How often a run asks whether a tracker is there (or still there): a presence query starts at
// most once a second, counted from the start of the one before.
constexpr int PresencePeriodMs = 1000;

template <typename W>
W* Named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

TProvisionWindow* TProvisionWindow::ShowFor(const TFleetTargets& targets, QComboBox* mainPortList)
{
    auto* window = targets.Window->findChild<TProvisionWindow*>(QStringLiteral("FrmProvision"));
    if (!window)
        window = new TProvisionWindow(targets, mainPortList);
    window->cboProvisionPort->clear();
    for (int i = 0; i < mainPortList->count(); ++i)
        window->cboProvisionPort->addItem(mainPortList->itemText(i));
    window->cboProvisionPort->setEditText(mainPortList->currentText());
    window->show();
    window->raise();
    return window;
}

TProvisionWindow::TProvisionWindow(const TFleetTargets& targets, QComboBox* mainPortList)
    : QDialog(targets.Window), T(targets), FMainPorts(mainPortList)
{
    setObjectName(QStringLiteral("FrmProvision"));
    setWindowTitle(TranslateText("provision_title"));
    FWindowClosing = new TCloseWatch(targets.Window);
    FWindowClosing->setParent(this);
    edtProvisionParams = Named(new QLineEdit(this), "edtProvisionParams");
    btnProvisionParams = Named(new QPushButton(QStringLiteral("..."), this), "btnProvisionParams");
    edtProvisionFences = Named(new QLineEdit(this), "edtProvisionFences");
    btnProvisionFences = Named(new QPushButton(QStringLiteral("..."), this), "btnProvisionFences");
    cboProvisionPort = Named(new QComboBox(this), "cboProvisionPort");
    cboProvisionPort->setEditable(true);
    btnProvisionStart = Named(new QPushButton(TranslateText("provision_start"), this), "btnProvisionStart");
    btnProvisionStop = Named(new QPushButton(TranslateText("provision_stop"), this), "btnProvisionStop");
    btnProvisionStop->setEnabled(false);
    lblProvisionStatus = Named(new QLabel(this), "lblProvisionStatus");
    lblProvisionResult = Named(new QLabel(this), "lblProvisionResult");
    QFont large = lblProvisionResult->font();
    large.setPixelSize(48);
    large.setBold(true);
    lblProvisionResult->setFont(large);
    lblProvisionResult->setAlignment(Qt::AlignCenter);
    lblProvisionTracker = Named(new QLabel(this), "lblProvisionTracker");
    lblProvisionTracker->setAlignment(Qt::AlignCenter);
    pbProvisionSteps = Named(new QProgressBar(this), "pbProvisionSteps");
    pbProvisionSteps->setRange(0, TProvisionRun::StepCount);
    pbProvisionSteps->setValue(0);
    lstProvisionReport = Named(new QListWidget(this), "lstProvisionReport");

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(TranslateText("provision_params"), this), 0, 0);
    grid->addWidget(edtProvisionParams, 0, 1);
    grid->addWidget(btnProvisionParams, 0, 2);
    grid->addWidget(new QLabel(TranslateText("provision_fences"), this), 1, 0);
    grid->addWidget(edtProvisionFences, 1, 1);
    grid->addWidget(btnProvisionFences, 1, 2);
    grid->addWidget(new QLabel(Translate(QStringLiteral("COM Port")), this), 2, 0);
    grid->addWidget(cboProvisionPort, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnProvisionStart);
    buttons->addWidget(btnProvisionStop);
    grid->addLayout(buttons, 3, 0, 1, 3);
    grid->addWidget(lblProvisionResult, 4, 0, 1, 3);
    grid->addWidget(lblProvisionTracker, 5, 0, 1, 3);
    grid->addWidget(pbProvisionSteps, 6, 0, 1, 3);
    grid->addWidget(lblProvisionStatus, 7, 0, 1, 3);
    grid->addWidget(lstProvisionReport, 8, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    resize(560, 520);

    connect(btnProvisionParams, &QPushButton::clicked, this, &TProvisionWindow::btnProvisionParamsClick);
    connect(btnProvisionFences, &QPushButton::clicked, this, &TProvisionWindow::btnProvisionFencesClick);
    connect(btnProvisionStart, &QPushButton::clicked, this, &TProvisionWindow::btnProvisionStartClick);
    connect(btnProvisionStop, &QPushButton::clicked, this, &TProvisionWindow::btnProvisionStopClick);
}

void TProvisionWindow::btnProvisionParamsClick()
{
    TFileRequest request;
    request.Filter = QStringLiteral("config file(*.cfg)|*.cfg");
    const QString path = Dialogs::AskFileName(request);
    if (!path.isEmpty())
        edtProvisionParams->setText(path);
}

void TProvisionWindow::btnProvisionFencesClick()
{
    TFileRequest request;
    request.Filter = TranslateText("fence_file_filter") + QStringLiteral("|*.geojson;*.json;*.csv");
    const QString path = Dialogs::AskFileName(request);
    if (!path.isEmpty())
        edtProvisionFences->setText(path);
}

void TProvisionWindow::btnProvisionStopClick()
{
    FStop = true;
    T.Dispatch.Queue->AbortCmdQueue();
}

void TProvisionWindow::closeEvent(QCloseEvent* event)
{
    btnProvisionStopClick();
    QDialog::closeEvent(event);
}

bool TProvisionWindow::Stopped() const { return FStop || FWindowClosing->Closing(); }

void TProvisionWindow::btnProvisionStartClick()
{
    // An exchange of the main window that still runs (a verification, a Read All) ends first.
    if (FRunning || T.Dispatch.Queue->IsBusy())
        return;
    try {
        Run();
    } catch (const EAppError& e) {
        Dialogs::ShowMessage(Translate(QStringLiteral("Error")), e.Message(), TMsgIcon::Error);
    } catch (const std::exception& e) {
        Dialogs::ShowMessage(Translate(QStringLiteral("Error")), QString::fromLocal8Bit(e.what()), TMsgIcon::Error);
    }
}

bool TProvisionWindow::Prepare(QList<TGeoFence>& fences)
{
    const QString params = edtProvisionParams->text().trimmed();
    if (params.isEmpty() || !QFileInfo(params).isFile()) {
        Dialogs::ShowMessage(Translate(QStringLiteral("Error")), TranslateText("provision_no_params").arg(params),
                             TMsgIcon::Error);
        return false;
    }
    T.ParamsFile->LoadParamsFile(params);
    QString fencePath = edtProvisionFences->text().trimmed();
    if (fencePath.isEmpty())
        fencePath = ResolveFenceFile(params, T.ParamsFile->Config().FenceFile);
    fences.clear();
    if (!fencePath.isEmpty()) {
        const TFenceFileContents contents = ReadFenceFile(fencePath);
        if (!contents.IsValid()) {
            Dialogs::ShowMessage(Translate(QStringLiteral("Error")),
                                 TranslateText("fence_import_refused").arg(fencePath) + QLatin1Char('\n') +
                                     contents.ProblemsText(),
                                 TMsgIcon::Error);
            return false;
        }
        fences = contents.Fences;
    }
    FMainPorts->setEditText(cboProvisionPort->currentText());
    return T.PortOpen();
}

void TProvisionWindow::Run()
{
    QList<TGeoFence> fences;
    if (!Prepare(fences))
        return;
    FRunning = true;
    FStop = false;
    btnProvisionStart->setEnabled(false);
    btnProvisionStop->setEnabled(true);
    const struct TEnd {
        TProvisionWindow* W;
        ~TEnd()
        {
            if (W->T.QuietLineLoss)
                W->T.QuietLineLoss(false);
            W->FRunning = false;
            W->btnProvisionStart->setEnabled(true);
            W->btnProvisionStop->setEnabled(false);
            W->lblProvisionStatus->setText(TranslateText("provision_stopped"));
        }
    } end{this};
    if (T.QuietLineLoss)
        T.QuietLineLoss(true);
    const QPointer<TProvisionWindow> alive(this);
    const auto stopped = [this, alive] { return !alive || Stopped(); };
    TProvisionRun run(T, stopped, [this](int step, const QString& text) {
        pbProvisionSteps->setValue(step);
        lblProvisionStatus->setText(text);
    });
    const QString device = T.PortDevice();
    // Presence queries: at most one a second, and logged only when the answer differs from the
    // one before (a tracker came, or went), not every second while nothing changes.
    auto* hold = dynamic_cast<ILogHold*>(T.Window);
    QElapsedTimer lastQuery;
    std::optional<TExchangeResult> lastPresence;
    const auto presence = [&]() -> std::optional<TExchangeResult> {
        if (lastQuery.isValid() && !PauseRun(int(std::max<qint64>(0, PresencePeriodMs - lastQuery.elapsed())), stopped))
            return std::nullopt;
        lastQuery.start();
        if (hold)
            hold->HoldExchangeLog();
        const TExchangeResult result = run.QueryTracker();
        const bool changed = result != TExchangeResult::Stopped && result != lastPresence;
        if (hold)
            hold->ReleaseExchangeLog(changed);
        if (result == TExchangeResult::Stopped)
            return std::nullopt;
        lastPresence = result;
        return result;
    };
    while (!stopped()) {
        pbProvisionSteps->setValue(0);
        lblProvisionStatus->setText(TranslateText("provision_waiting").arg(device));
        // A tracker is there once it answers the status query. A USB tracker that was
        // unplugged took its line with it: the port is opened again once the device is back.
        for (;;) {
            if (T.PortReopen()) {
                const std::optional<TExchangeResult> found = presence();
                if (!found)
                    return;
                if (*found == TExchangeResult::Answered)
                    break;
            } else {
                // The device is not back yet: no query, the same pace.
                if (!PauseRun(PresencePeriodMs, stopped))
                    return;
                lastPresence = TExchangeResult::NoAnswer;
            }
        }
        const TProvisionResult result = run.ProvisionOne(fences, false);
        if (result.Outcome == TProvisionOutcome::Stopped || stopped())
            return;
        ShowResult(result);
        ProvisionReport::AppendRow(ReportPath.isEmpty() ? ProvisionReport::DefaultPath(QDate::currentDate()) : ReportPath,
                                   QDateTime::currentDateTime(), device, result);
        // The next tracker is one that answers after this one went away (hung up or silent).
        lblProvisionStatus->setText(TranslateText("provision_remove"));
        lastPresence = TExchangeResult::Answered; // the run itself has just heard it
        lastQuery.start();
        for (;;) {
            const std::optional<TExchangeResult> still = presence();
            if (!still)
                return;
            if (*still == TExchangeResult::NoAnswer)
                break;
        }
    }
}

void TProvisionWindow::ShowResult(const TProvisionResult& result)
{
    const bool passed = result.Outcome == TProvisionOutcome::Passed;
    lblProvisionResult->setText(passed ? TranslateText("provision_pass") : TranslateText("provision_fail"));
    lblProvisionResult->setStyleSheet(passed ? QStringLiteral("color: #008000") : QStringLiteral("color: #C00000"));
    lblProvisionTracker->setText(TranslateText("provision_tracker").arg(result.Identifier, result.Firmware));
    QString line = result.Identifier + QStringLiteral("  ") + result.ResultWord();
    if (!result.Details().isEmpty())
        line += QStringLiteral("  ") + result.Details();
    lstProvisionReport->addItem(line);
}
