#include "fleet/ProvisionWindow.h"

#include "core/AppError.h"
#include "core/Dialogs.h"
#include "fleet/ProvisionReport.h"
#include "fleet/StationSlot.h"
#include "fleet/StationTile.h"
#include "i18n/Language.h"
#include "i18n/ProgramTexts.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>

namespace {

// How often the window looks for USB serial devices that came or went.
constexpr int UsbWatchMs = 2000;
constexpr int TileColumns = 4;

template <typename W>
W* Named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// The identifiers that passed in a report (the fourth column of its rows).
QSet<QString> PassedIn(const QString& reportPath)
{
    QSet<QString> passed;
    QFile file(reportPath);
    if (!QFileInfo(reportPath).isFile() || !file.open(QIODevice::ReadOnly))
        return passed;
    file.readLine(); // the header
    while (!file.atEnd()) {
        const QList<QByteArray> cells = file.readLine().split(',');
        if (cells.size() >= 5 && cells[4] == "pass" && !cells[2].isEmpty())
            passed.insert(QString::fromUtf8(cells[2]));
    }
    return passed;
}

} // namespace

TProvisionWindow* TProvisionWindow::ShowFor(QWidget* owner, QComboBox* mainPortList, TOwnerPorts ports)
{
    auto* window = owner->findChild<TProvisionWindow*>(QStringLiteral("FrmProvision"));
    if (!window)
        window = new TProvisionWindow(owner, std::move(ports));
    window->cboProvisionPort->clear();
    for (int i = 0; i < mainPortList->count(); ++i)
        window->cboProvisionPort->addItem(mainPortList->itemText(i));
    window->cboProvisionPort->setEditText(mainPortList->currentText());
    window->RefreshUsbTiles();
    window->show();
    window->raise();
    return window;
}

TProvisionWindow::TProvisionWindow(QWidget* owner, TOwnerPorts ports) : QDialog(owner), FPorts(std::move(ports))
{
    setObjectName(QStringLiteral("FrmProvision"));
    setWindowTitle(TranslateText("provision_title"));
    edtProvisionParams = Named(new QLineEdit(this), "edtProvisionParams");
    btnProvisionParams = Named(new QPushButton(QStringLiteral("..."), this), "btnProvisionParams");
    edtProvisionFences = Named(new QLineEdit(this), "edtProvisionFences");
    btnProvisionFences = Named(new QPushButton(QStringLiteral("..."), this), "btnProvisionFences");
    cboProvisionPort = Named(new QComboBox(this), "cboProvisionPort");
    cboProvisionPort->setEditable(true);
    btnProvisionAddPort = Named(new QPushButton(TranslateText("station_add_port"), this), "btnProvisionAddPort");
    cbProvisionCapture = Named(new QCheckBox(TranslateText("station_capture"), this), "cbProvisionCapture");
    btnProvisionStart = Named(new QPushButton(TranslateText("provision_start"), this), "btnProvisionStart");
    btnProvisionStop = Named(new QPushButton(TranslateText("provision_stop"), this), "btnProvisionStop");
    btnProvisionStop->setEnabled(false);
    lblProvisionStatus = Named(new QLabel(this), "lblProvisionStatus");
    lblProvisionStatus->setWordWrap(true);
    lblProvisionCounters = Named(new QLabel(this), "lblProvisionCounters");
    lstProvisionReport = Named(new QListWidget(this), "lstProvisionReport");

    auto* tiles = new QWidget;
    FTileGrid = new QGridLayout(tiles);
    FTileGrid->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("scrProvisionSlots"));
    scroll->setWidget(tiles);
    scroll->setWidgetResizable(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(TranslateText("provision_params"), this), 0, 0);
    grid->addWidget(edtProvisionParams, 0, 1);
    grid->addWidget(btnProvisionParams, 0, 2);
    grid->addWidget(new QLabel(TranslateText("provision_fences"), this), 1, 0);
    grid->addWidget(edtProvisionFences, 1, 1);
    grid->addWidget(btnProvisionFences, 1, 2);
    grid->addWidget(new QLabel(Translate(QStringLiteral("COM Port")), this), 2, 0);
    grid->addWidget(cboProvisionPort, 2, 1);
    grid->addWidget(btnProvisionAddPort, 2, 2);
    grid->addWidget(cbProvisionCapture, 3, 0, 1, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnProvisionStart);
    buttons->addWidget(btnProvisionStop);
    buttons->addWidget(lblProvisionCounters, 1);
    grid->addLayout(buttons, 4, 0, 1, 3);
    grid->addWidget(lblProvisionStatus, 5, 0, 1, 3);
    grid->addWidget(scroll, 6, 0, 1, 3);
    grid->addWidget(lstProvisionReport, 7, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(6, 3);
    grid->setRowStretch(7, 1);
    resize(1040, 720);

    FUsbWatch = new QTimer(this);
    FUsbWatch->setInterval(UsbWatchMs);
    connect(FUsbWatch, &QTimer::timeout, this, &TProvisionWindow::RefreshUsbTiles);
    FUsbWatch->start();
    connect(btnProvisionParams, &QPushButton::clicked, this, &TProvisionWindow::btnProvisionParamsClick);
    connect(btnProvisionFences, &QPushButton::clicked, this, &TProvisionWindow::btnProvisionFencesClick);
    connect(btnProvisionAddPort, &QPushButton::clicked, this, &TProvisionWindow::btnProvisionAddPortClick);
    connect(btnProvisionStart, &QPushButton::clicked, this, &TProvisionWindow::btnProvisionStartClick);
    connect(btnProvisionStop, &QPushButton::clicked, this, &TProvisionWindow::btnProvisionStopClick);
    // The main window closing ends the run first, cleanly.
    if (owner)
        owner->installEventFilter(this);
    ShowCounters();
}

TProvisionWindow::~TProvisionWindow()
{
    btnProvisionStopClick();
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

void TProvisionWindow::btnProvisionAddPortClick()
{
    const QString text = cboProvisionPort->currentText().trimmed();
    const QString device = text.contains(QLatin1Char('/')) ? text : (FPorts.DeviceOf ? FPorts.DeviceOf(text) : QString());
    if (device.isEmpty() || !AddPortTile(device))
        Dialogs::ShowMessage(Translate(QStringLiteral("Error")), TranslateText("station_no_device").arg(text),
                             TMsgIcon::Error);
}

bool TProvisionWindow::AddPortTile(const QString& device)
{
    if (device.isEmpty())
        return false;
    for (TStationTile* tile : FTiles)
        if (tile->Device() == device)
            return true;
    const bool usb = UsbSerialDevices().contains(device);
    auto* tile = new TStationTile(device, !usb);
    tile->setObjectName(QStringLiteral("tileProvision_%1").arg(FTiles.size() + 1));
    connect(tile, &TStationTile::RemoveClicked, this, [this, tile] { RemoveTile(tile); });
    FTileGrid->addWidget(tile, int(FTiles.size()) / TileColumns, int(FTiles.size()) % TileColumns);
    FTiles << tile;
    if (FRunning)
        StartSlot(tile);
    return true;
}

void TProvisionWindow::RemoveTile(TStationTile* tile)
{
    if (tile->Slot())
        return; // a slot that runs stays until Stop
    FTiles.removeAll(tile);
    FTileGrid->removeWidget(tile);
    tile->deleteLater();
    // The others close up.
    for (qsizetype i = 0; i < FTiles.size(); ++i)
        FTileGrid->addWidget(FTiles[i], int(i) / TileColumns, int(i) % TileColumns);
}

void TProvisionWindow::RefreshUsbTiles()
{
    const QStringList present = UsbSerialDevices();
    for (const QString& device : present)
        AddPortTile(device);
    // A USB device that went away takes its tile along once no tracker runs on it.
    for (TStationTile* tile : QList<TStationTile*>(FTiles))
        if (!tile->Removable() && !present.contains(tile->Device()) && !tile->Slot())
            RemoveTile(tile);
}

QString TProvisionWindow::CurrentReportPath() const
{
    return ReportPath.isEmpty() ? ProvisionReport::DefaultPath(QDate::currentDate()) : ReportPath;
}

bool TProvisionWindow::Prepare(TProvisionPlan& plan)
{
    const QString params = edtProvisionParams->text().trimmed();
    if (params.isEmpty() || !QFileInfo(params).isFile()) {
        Dialogs::ShowMessage(Translate(QStringLiteral("Error")), TranslateText("provision_no_params").arg(params),
                             TMsgIcon::Error);
        return false;
    }
    // A technician's file may leave keys out: the defaults go in their place, as Load shows them.
    const TProvisionPlanLoad load = LoadProvisionPlan(params, edtProvisionFences->text().trimmed(), false, false);
    if (!load.Ok()) {
        Dialogs::ShowMessage(Translate(QStringLiteral("Error")), load.Problems.join(QLatin1Char('\n')), TMsgIcon::Error);
        return false;
    }
    lblProvisionStatus->setText(load.Warnings.join(QLatin1Char('\n')));
    plan = load.Plan;
    return true;
}

void TProvisionWindow::btnProvisionStartClick()
{
    if (FRunning)
        return;
    try {
        // One port chosen and none added: that port is the station's one slot.
        if (FTiles.isEmpty()) {
            if (cboProvisionPort->currentText().trimmed().isEmpty()) {
                Dialogs::ShowMessage(Translate(QStringLiteral("Error")), TranslateText("station_no_ports"), TMsgIcon::Error);
                return;
            }
            btnProvisionAddPortClick(); // a box says why when it names no device
            if (FTiles.isEmpty())
                return;
        }
        if (!Prepare(FPlan))
            return;
        QStringList devices;
        for (TStationTile* tile : FTiles)
            devices << tile->Device();
        if (FPorts.Release)
            FPorts.Release(devices);
        FRunning = true;
        FReportFailed = false;
        FPassed = 0;
        FFailed = 0;
        FRunClock.start();
        FProvisioned = cbProvisionCapture->isChecked() ? PassedIn(CurrentReportPath()) : QSet<QString>();
        btnProvisionStart->setEnabled(false);
        btnProvisionStop->setEnabled(true);
        edtProvisionParams->setEnabled(false);
        edtProvisionFences->setEnabled(false);
        cbProvisionCapture->setEnabled(false);
        if (lblProvisionStatus->text().isEmpty())
            lblProvisionStatus->setText(TranslateCount("station_running", FTiles.size()).arg(FTiles.size()));
        ShowCounters();
        for (TStationTile* tile : FTiles)
            StartSlot(tile);
    } catch (const EAppError& e) {
        Dialogs::ShowMessage(Translate(QStringLiteral("Error")), e.Message(), TMsgIcon::Error);
    } catch (const std::exception& e) {
        Dialogs::ShowMessage(Translate(QStringLiteral("Error")), QString::fromLocal8Bit(e.what()), TMsgIcon::Error);
    }
}

void TProvisionWindow::StartSlot(TStationTile* tile)
{
    auto* slot = new TStationSlot(tile->Device(), FPlan, this);
    slot->ReportPath = ReportPath;
    slot->DailyReport = ReportPath.isEmpty();
    if (cbProvisionCapture->isChecked())
        slot->Provisioned = &FProvisioned;
    connect(slot, &TStationSlot::TrackerEnded, this, &TProvisionWindow::OnTrackerEnded);
    connect(slot, &TStationSlot::ReportFailed, this, [this](const QString& message) {
        // Said once; the slots go on, and the status keeps saying that rows are lost.
        lblProvisionStatus->setText(TranslateText("station_rows_not_saved").arg(message));
        lblProvisionStatus->setStyleSheet(QStringLiteral("color: #C00000"));
        if (!FReportFailed) {
            FReportFailed = true;
            Dialogs::ShowMessage(Translate(QStringLiteral("Error")), message, TMsgIcon::Error);
        }
    });
    tile->Attach(slot);
    FSlots << slot;
    slot->StartContinuous();
}

void TProvisionWindow::OnTrackerEnded(const TProvisionResult& result)
{
    if (result.Outcome == TProvisionOutcome::Passed)
        ++FPassed;
    else if (result.Outcome != TProvisionOutcome::Again)
        ++FFailed;
    // The report keeps its English words; the window says them in the language chosen.
    QString details = result.Error;
    if (result.Outcome == TProvisionOutcome::Differs) {
        QStringList parts;
        for (const TDifferenceRow& d : result.Rows())
            parts << TranslateText("verify_row").arg(d.Name, d.Written, d.ReadBack);
        details = parts.join(QStringLiteral("; "));
    }
    QString line = result.Identifier + QStringLiteral("  ") + ShownResultWord(result.ResultWord());
    if (!details.isEmpty())
        line += QStringLiteral("  ") + details;
    lstProvisionReport->addItem(line);
    lstProvisionReport->scrollToBottom();
    ShowCounters();
}

void TProvisionWindow::ShowCounters()
{
    lblProvisionCounters->setText(CountersText(FPassed, FFailed, FRunClock.isValid() ? FRunClock.elapsed() : 0));
}

QString TProvisionWindow::CountersText(int passed, int failed, qint64 runMs)
{
    const int trackers = passed + failed;
    if (runMs <= 0 || (trackers < RateAfterTrackers && runMs < RateAfterMs))
        return TranslateText("station_counters").arg(passed).arg(failed);
    const qint64 perHour = qint64(trackers * 3600000.0 / double(runMs) + 0.5);
    return TranslateCount("station_counters_rate", perHour).arg(passed).arg(failed).arg(perHour);
}

QString TProvisionWindow::ShownResultWord(const QString& word)
{
    const QByteArray key = "result_" + word.toLatin1().replace(' ', '_');
    const QString shown = TranslateText(key.constData());
    // A word without a text of its own shows as the report has it.
    return shown == QString::fromLatin1(key) ? word : shown;
}

void TProvisionWindow::btnProvisionStopClick()
{
    for (TStationTile* tile : FTiles)
        tile->Detach();
    for (TStationSlot* slot : FSlots) {
        slot->Stop();
        slot->deleteLater();
    }
    FSlots.clear();
    if (!FRunning)
        return;
    FRunning = false;
    btnProvisionStart->setEnabled(true);
    btnProvisionStop->setEnabled(false);
    edtProvisionParams->setEnabled(true);
    edtProvisionFences->setEnabled(true);
    cbProvisionCapture->setEnabled(true);
    lblProvisionStatus->setStyleSheet(QString());
    lblProvisionStatus->setText(TranslateText("provision_stopped"));
    ShowCounters();
}

void TProvisionWindow::closeEvent(QCloseEvent* event)
{
    btnProvisionStopClick();
    QDialog::closeEvent(event);
}

bool TProvisionWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parent() && event->type() == QEvent::Close)
        btnProvisionStopClick();
    return QDialog::eventFilter(watched, event);
}
