// Batch configuration as the window wires it: verification after every Write, Compare beside
// Load, and the provisioning window. The work itself lives in fleet/.
#include "app/FrmMain.h"

#include "core/AppError.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "core/IniText.h"
#include "fleet/CompareDialog.h"
#include "fleet/FleetTargets.h"
#include "fleet/ProvisionWindow.h"
#include "fleet/WriteVerifier.h"
#include "geo/FenceEditPanel.h"
#include "geo/GeoFencePage.h"
#include "i18n/Language.h"
#include "i18n/ProgramTexts.h"
#include "params/AlarmPage.h"
#include "params/BulkOperations.h"
#include "params/MainSettingsPage.h"
#include "params/ResponseDispatcher.h"
#include "params/TmpHotSpotGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>

namespace {

const QString ConfigSection = QStringLiteral("config");
const QString VerifyKey = QStringLiteral("verify");

void InsertAfter(QWidget* panel, QWidget* before, QWidget* widget)
{
    auto* layout = qobject_cast<QHBoxLayout*>(panel->layout());
    if (!layout)
        return;
    const int at = layout->indexOf(before);
    layout->insertWidget(at < 0 ? layout->count() : at + 1, widget);
}

} // namespace

TFleetTargets TFrmMain::FleetTargets()
{
    TFleetTargets t;
    t.Dispatch.Settings = &Settings;
    t.Dispatch.Queue = &Queue();
    t.Dispatch.Status = StatusPanel;
    t.Dispatch.Main = MainSettings;
    t.Dispatch.Alarm = AlarmSetting;
    t.Dispatch.HotSpot = gbTmpHotSpot;
    t.Dispatch.pgCtrl = pgCtrl;
    t.Dispatch.cbTipOnOK = cbTipOnOK;
    t.ActiveDispatcher = &Dispatcher;
    t.ParamsFile = ParamsFile.get();
    t.Window = this;
    return t;
}

void TFrmMain::ConnectFleet()
{
    cbVerifyWrite = new QCheckBox(QStringLiteral("verify writes"), pnBtm);
    cbVerifyWrite->setObjectName(QStringLiteral("cbVerifyWrite"));
    cbVerifyWrite->setChecked(true);
    InsertAfter(pnBtm, cbTipOnOK, cbVerifyWrite);
    btnCompare = new QPushButton(QStringLiteral("Compare"), pnBtm);
    btnCompare->setObjectName(QStringLiteral("btnCompare"));
    InsertAfter(pnBtm, btnLoad, btnCompare);
    btnProvision = new QPushButton(QStringLiteral("Provision..."), pnBtm);
    btnProvision->setObjectName(QStringLiteral("btnProvision"));
    InsertAfter(pnBtm, btnCompare, btnProvision);

    // The choice made last time; a settings file that cannot be read leaves the default (the
    // start-up reports that file itself).
    TIniText settings;
    if (settings.LoadFile(SettingsFilePath()))
        cbVerifyWrite->setChecked(settings.ReadString(ConfigSection, VerifyKey, QStringLiteral("1")).trimmed() !=
                                  QStringLiteral("0"));
    connect(cbVerifyWrite, &QCheckBox::clicked, this, &TFrmMain::cbVerifyWriteClick);

    // Every Write, the fence writes among them, is verified from its own answers.
    WriteVerifier = new TWriteVerifier(FleetTargets(), cbVerifyWrite, this);
    for (QAbstractButton* write : std::initializer_list<QAbstractButton*>{
             btnWriteAll, MainSettings->btnCenterNumberSet, MainSettings->btnGprsSet, MainSettings->btnWorkModeSet,
             MainSettings->btnVipCfgSet, AlarmSetting->btnAlarmSet, gbTmpHotSpot->btnSelfHotSpotWrite,
             GeoPage->btn_GeoSetAll, GeoPage->btn_GeoDisable, GeoPage->pnlGeoEdit->btnGeoSave})
        WriteVerifier->Attach(write);

    connect(btnCompare, &QPushButton::clicked, this, &TFrmMain::btnCompareClick);
    connect(btnProvision, &QPushButton::clicked, this, &TFrmMain::btnProvisionClick);
}

void TFrmMain::ApplyFleetTexts()
{
    cbVerifyWrite->setText(TranslateText("verify_check"));
    btnCompare->setText(TranslateText("compare_button"));
    btnProvision->setText(TranslateText("provision_button"));
}

void TFrmMain::cbVerifyWriteClick()
{
    try {
        const QString path = SettingsFilePath();
        TIniText settings;
        QString reason;
        // Rewriting a settings file that could not be read would lose everything else it holds.
        if (!settings.LoadFile(path, &reason))
            throw EAppError(QStringLiteral("Cannot read file \"%1\". %2").arg(path, reason));
        settings.WriteString(ConfigSection, VerifyKey, cbVerifyWrite->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
        settings.SaveFile(path);
    } catch (const EAppError& e) {
        Dialogs::ShowMessage(windowTitle(), e.Message(), TMsgIcon::Error);
    }
}

void TFrmMain::btnCompareClick()
{
    // Not a command button, so it stays enabled during an exchange: one that runs is left alone.
    if (Queue().IsBusy())
        return;
    try {
        CompareWithTracker(FleetTargets(), btnWriteAll);
    } catch (const EAppError& e) {
        Dialogs::ShowMessage(::Translate(QStringLiteral("Error")), e.Message(), TMsgIcon::Error);
    } catch (const std::exception& e) {
        Dialogs::ShowMessage(::Translate(QStringLiteral("Error")), QString::fromLocal8Bit(e.what()), TMsgIcon::Error);
    }
}

void TFrmMain::btnProvisionClick()
{
    try {
        TProvisionWindow::TOwnerPorts ports;
        ports.DeviceOf = [this](const QString& number) { return PortDevice(number); };
        // The station's slots take their ports over: the window lets go of the one it holds.
        ports.Release = [this](const QStringList& devices) {
            if (ComPort.Connected() && devices.contains(ComPort.Port()))
                btn_SwitchClick();
        };
        TProvisionWindow::ShowFor(this, cboCOMIndex, ports);
    } catch (const EAppError& e) {
        Dialogs::ShowMessage(::Translate(QStringLiteral("Error")), e.Message(), TMsgIcon::Error);
    } catch (const std::exception& e) {
        Dialogs::ShowMessage(::Translate(QStringLiteral("Error")), QString::fromLocal8Bit(e.what()), TMsgIcon::Error);
    }
}
