// The settings pages, the status panel and the answer dispatcher as the window wires them.
#include "app/FrmMain.h"

#include "app/SegmentProgressBar.h"
#include "fleet/WriteVerifier.h"
#include "i18n/ProgramTexts.h"
#include "link/CmdQueue.h"
#include "params/AlarmPage.h"
#include "params/BulkOperations.h"
#include "params/MainSettingsPage.h"
#include "params/ResponseDispatcher.h"
#include "params/SettingsView.h"
#include "params/StatusPanel.h"
#include "params/TmpHotSpotGroup.h"

#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

void TFrmMain::BuildSettingsPages()
{
    StatusPanel = new TStatusPanel(rgbInfo, lblID);

    MainSettings = new TMainSettingsPage(Queue(), tsMain);
    auto* mainLayout = new QVBoxLayout(tsMain);
    mainLayout->setContentsMargins(0, 0, 0, 0);
    mainLayout->addWidget(MainSettings);
    gbGPRS = MainSettings->gbGPRS;

    AlarmSetting = new TAlarmPage(Queue(), tsAlarm);
    auto* alarmLayout = new QVBoxLayout(tsAlarm);
    alarmLayout->setContentsMargins(0, 0, 0, 0);
    alarmLayout->addWidget(AlarmSetting);

    gbTmpHotSpot = new TTmpHotSpotGroup(Queue(), tsGeo);

    BulkOperations = new TBulkOperations(Queue(), *MainSettings, *AlarmSetting, this);
    connect(btnReadAll, &QPushButton::clicked, BulkOperations, &TBulkOperations::btnReadAllClick);
    connect(btnWriteAll, &QPushButton::clicked, BulkOperations, &TBulkOperations::btnWriteAllClick);
    connect(btnDefault, &QPushButton::clicked, BulkOperations, &TBulkOperations::btnDefaultClick);
    connect(StatusPanel->sbT01, &QToolButton::clicked, BulkOperations, &TBulkOperations::sbT01Click);

    TDispatchTargets targets;
    targets.Settings = &Settings;
    targets.Queue = &Queue();
    targets.Status = StatusPanel;
    targets.Main = MainSettings;
    targets.Alarm = AlarmSetting;
    targets.HotSpot = gbTmpHotSpot;
    targets.pgCtrl = pgCtrl;
    targets.cbTipOnOK = cbTipOnOK;
    Dispatcher = std::make_shared<TResponseDispatcher>(targets);
    // The pages' Writes take their controls into the window's settings model.
    TSettingsView(*MainSettings, *AlarmSetting, *gbTmpHotSpot).Attach(Settings);

    // What ends an exchange or stops a Write without a box is said in the progress bar's place,
    // until the next exchange starts.
    connect(MainSettings, &TMainSettingsPage::WriteStopped, rgbBar, &TSegmentProgressBar::SetNote);
    connect(&Queue(), &TCmdQueue::TimedOut, rgbBar, [this] { rgbBar->SetNote(TranslateText("status_no_answer")); });
}

void TFrmMain::ResetStatusPanel()
{
    StatusPanel->Reset();
}

void TFrmMain::PrepareSettingsPages()
{
    MainSettings->RebuildIntervalList();
}

void TFrmMain::StopBatteryAnimation()
{
    StatusPanel->StopBatteryAnimation();
}

void TFrmMain::DispatchResponse(const QByteArray& payload)
{
    // Through the verifier once it is there: it compares the answers of a verified Write.
    if (WriteVerifier)
        WriteVerifier->DispatchResponse(payload);
    else
        Dispatcher->DispatchResponse(payload);
}
