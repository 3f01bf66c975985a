#include "params/MainSettingsPage.h"

#include "core/Dialogs.h"
#include "core/Numbers.h"
#include "i18n/Language.h"
#include "i18n/ProgramTexts.h"
#include "link/CmdQueue.h"
#include "link/FrameCodec.h"
#include "params/ParamChecks.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

template <typename T>
T* Named(T* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* MakeLabel(const char* name, const char* caption, QWidget* parent)
{
    return Named(new QLabel(QString::fromLatin1(caption), parent), name);
}

QLineEdit* MakeEdit(const char* name, const char* text, QWidget* parent)
{
    return Named(new QLineEdit(QString::fromLatin1(text), parent), name);
}

QPushButton* MakeButton(const char* name, const char* caption, QWidget* parent)
{
    return Named(new QPushButton(QString::fromLatin1(caption), parent), name);
}

QHBoxLayout* ButtonRow(QPushButton* read, QPushButton* write)
{
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(read);
    row->addWidget(write);
    return row;
}

// A field's name as the user sees it: its label's caption without the colon and the shortcut mark.
QString LabelFieldName(const QLabel* label)
{
    QString name = label->text();
    name.remove(QLatin1Char('&'));
    name = TrimText(name);
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    return name;
}

// A number goes out as a plain integer; a text that is none is kept as typed.
QString IntegerForm(const QString& text)
{
    int32_t value = 0;
    const QString trimmed = TrimText(text);
    return TryStrToInt(trimmed, value) ? QString::number(value) : trimmed;
}

} // namespace

TMainSettingsPage::TMainSettingsPage(TCmdQueue& queue, QWidget* parent)
    : QWidget(parent), FQueue(queue), FOwnSettings(std::make_unique<TTrackerSettings>()), FSettings(FOwnSettings.get())
{
    setObjectName(QStringLiteral("pnlMainSettings"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->addWidget(BuildBasicInfo(), 0, 0);
    grid->addWidget(BuildGprs(), 1, 0);
    grid->addWidget(BuildDataUploading(), 0, 1, 2, 1);
    grid->addWidget(BuildAuthNumbers(), 0, 2, 2, 1);
    grid->setColumnStretch(0, 4);
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(2, 3);

    connect(btnCenterNumberRead, &QPushButton::clicked, this, &TMainSettingsPage::btnCenterNumberReadClick);
    connect(btnCenterNumberSet, &QPushButton::clicked, this, &TMainSettingsPage::btnCenterNumberSetClick);
    connect(btnGprsRead, &QPushButton::clicked, this, &TMainSettingsPage::btnGprsReadClick);
    connect(btnGprsSet, &QPushButton::clicked, this, &TMainSettingsPage::btnGprsSetClick);
    connect(btnWorkModeRead, &QPushButton::clicked, this, &TMainSettingsPage::btnWorkModeReadClick);
    connect(btnWorkModeSet, &QPushButton::clicked, this, &TMainSettingsPage::btnWorkModeSetClick);
    connect(btnVipCfgRead, &QPushButton::clicked, this, &TMainSettingsPage::btnVipCfgReadClick);
    connect(btnVipCfgSet, &QPushButton::clicked, this, &TMainSettingsPage::btnVipCfgSetClick);
    // A strategy handler runs when its button becomes selected, whoever selects it; selecting
    // the button that is already selected emits nothing.
    connect(RBtn_Main_01, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            RBtn_Main_01Click();
    });
    connect(RBtn_Main_02, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            RBtn_Main_02Click();
    });
    // Only the user's choice rebuilds the list; setting the mode from code does not.
    connect(cbUpLoadMode, &QComboBox::activated, this, &TMainSettingsPage::cbUpLoadModeClick);

    RebuildIntervalList();
}

QGroupBox* TMainSettingsPage::BuildBasicInfo()
{
    gbBasicInfo = Named(new QGroupBox(QStringLiteral("Basic information"), this), "gbBasicInfo");
    auto* g = gbBasicInfo;
    lblAlias = MakeLabel("lblAlias", "Another Name:", g);
    txtAlias = MakeEdit("txtAlias", "", g);
    lblBatteryPercent = MakeLabel("lblBatteryPercent", "Low Battery:", g);
    cboBatteryAlert = Named(new QComboBox(g), "cboBatteryAlert");
    cboBatteryAlert->setEditable(true);
    cboBatteryAlert->setInsertPolicy(QComboBox::NoInsert);
    cboBatteryAlert->addItems({QStringLiteral("50"), QStringLiteral("40"), QStringLiteral("30"), QStringLiteral("20"),
                               QStringLiteral("10")});
    cboBatteryAlert->setCurrentIndex(3);
    lblBatteryUnit = MakeLabel("lblBatteryUnit", "%", g);
    lblTimeDif = MakeLabel("lblTimeDif", "Time difference:", g);
    txtTimeDifferent = MakeEdit("txtTimeDifferent", "-60", g);
    lblTimeMin = MakeLabel("lblTimeMin", "Min", g);
    lblGSensorParam = MakeLabel("lblGSensorParam", "G-sensor parameter:", g);
    txtGSensorParam = MakeEdit("txtGSensorParam", "630", g);
    lblGSensorUnit = MakeLabel("lblGSensorUnit", "mg", g);
    btnCenterNumberRead = MakeButton("btnCenterNumberRead", "Read", g);
    btnCenterNumberSet = MakeButton("btnCenterNumberSet", "Write", g);

    auto* grid = new QGridLayout(g);
    grid->addWidget(lblAlias, 0, 0);
    grid->addWidget(txtAlias, 0, 1, 1, 2);
    grid->addWidget(lblBatteryPercent, 1, 0);
    grid->addWidget(cboBatteryAlert, 1, 1);
    grid->addWidget(lblBatteryUnit, 1, 2);
    grid->addWidget(lblTimeDif, 2, 0);
    grid->addWidget(txtTimeDifferent, 2, 1);
    grid->addWidget(lblTimeMin, 2, 2);
    grid->addWidget(lblGSensorParam, 3, 0);
    grid->addWidget(txtGSensorParam, 3, 1);
    grid->addWidget(lblGSensorUnit, 3, 2);
    grid->addLayout(ButtonRow(btnCenterNumberRead, btnCenterNumberSet), 4, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    return g;
}

QGroupBox* TMainSettingsPage::BuildGprs()
{
    gbGPRS = Named(new QGroupBox(QStringLiteral("GPRS network parameters"), this), "gbGPRS");
    auto* g = gbGPRS;
    lblGprsIP = MakeLabel("lblGprsIP", "IP address:", g);
    txtIPAddress = MakeEdit("txtIPAddress", "0.0.0.0", g);
    lblGprsPort = MakeLabel("lblGprsPort", "Port:", g);
    txtPort = MakeEdit("txtPort", "8888", g);
    lblGprsAPN = MakeLabel("lblGprsAPN", "APN:", g);
    txtAPN = MakeEdit("txtAPN", "CMNET", g);
    lblAPNName = MakeLabel("lblAPNName", "APN User:", g);
    txtAPNUsername = MakeEdit("txtAPNUsername", "", g);
    lblApnPass = MakeLabel("lblApnPass", "APN Pass:", g);
    txtAPNPassword = MakeEdit("txtAPNPassword", "", g); // shown in clear, as the technician types it
    btnGprsRead = MakeButton("btnGprsRead", "Read", g);
    btnGprsSet = MakeButton("btnGprsSet", "Write", g);

    auto* grid = new QGridLayout(g);
    grid->addWidget(lblGprsIP, 0, 0);
    grid->addWidget(txtIPAddress, 0, 1);
    grid->addWidget(lblGprsPort, 0, 2);
    grid->addWidget(txtPort, 0, 3);
    grid->addWidget(lblGprsAPN, 1, 0);
    grid->addWidget(txtAPN, 1, 1, 1, 3);
    grid->addWidget(lblAPNName, 2, 0);
    grid->addWidget(txtAPNUsername, 2, 1, 1, 3);
    grid->addWidget(lblApnPass, 3, 0);
    grid->addWidget(txtAPNPassword, 3, 1, 1, 3);
    grid->addLayout(ButtonRow(btnGprsRead, btnGprsSet), 4, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    return g;
}

QGroupBox* TMainSettingsPage::BuildDataUploading()
{
    gbDataUploading = Named(new QGroupBox(QStringLiteral("Data Uploading"), this), "gbDataUploading");
    auto* g = gbDataUploading;
    RBtn_Main_01 = Named(new QRadioButton(QStringLiteral("Normal uploading"), g), "RBtn_Main_01");
    RBtn_Main_01->setChecked(true);
    pnlKeepAlive = Named(new QWidget(g), "pnlKeepAlive");
    RCox_KeepAlive = Named(new QCheckBox(QStringLiteral("Keep alive"), pnlKeepAlive), "RCox_KeepAlive");
    RzSpinEdit_KeepAlive = Named(new QSpinBox(pnlKeepAlive), "RzSpinEdit_KeepAlive");
    RzSpinEdit_KeepAlive->setRange(KeepAliveMinimum, KeepAliveMaximum);
    RzSpinEdit_KeepAlive->setValue(KeepAliveDefault);
    RzSpinEdit_KeepAlive->setKeyboardTracking(false);
    lbl_sec_1 = MakeLabel("lbl_sec_1", "sec", pnlKeepAlive);
    auto* keepAlive = new QHBoxLayout(pnlKeepAlive);
    keepAlive->setContentsMargins(20, 0, 0, 0);
    keepAlive->addWidget(RCox_KeepAlive);
    keepAlive->addWidget(RzSpinEdit_KeepAlive);
    keepAlive->addWidget(lbl_sec_1);
    keepAlive->addStretch(1);
    RBtn_Main_02 = Named(new QRadioButton(QStringLiteral("Uploading when Moving"), g), "RBtn_Main_02");
    lblWorkMode = MakeLabel("lblWorkMode", "Mode:", g);
    cbUpLoadMode = Named(new QComboBox(g), "cbUpLoadMode");
    cbUpLoadMode->setEditable(false);
    cbUpLoadMode->addItems({QStringLiteral("SMS"), QStringLiteral("TCP")});
    cbUpLoadMode->setCurrentIndex(0);
    lblUpItv = MakeLabel("lblUpItv", "Interval:", g);
    CBox_UploadingInterval = Named(new QComboBox(g), "CBox_UploadingInterval");
    CBox_UploadingInterval->setEditable(true);
    CBox_UploadingInterval->setInsertPolicy(QComboBox::NoInsert);
    lblUpSec = MakeLabel("lblUpSec", "sec", g);
    btnWorkModeRead = MakeButton("btnWorkModeRead", "Read", g);
    btnWorkModeSet = MakeButton("btnWorkModeSet", "Write", g);

    auto* grid = new QGridLayout(g);
    grid->addWidget(RBtn_Main_01, 0, 0, 1, 3);
    grid->addWidget(pnlKeepAlive, 1, 0, 1, 3);
    grid->addWidget(RBtn_Main_02, 2, 0, 1, 3);
    grid->addWidget(lblWorkMode, 3, 0);
    grid->addWidget(cbUpLoadMode, 3, 1);
    grid->addWidget(lblUpItv, 4, 0);
    grid->addWidget(CBox_UploadingInterval, 4, 1);
    grid->addWidget(lblUpSec, 4, 2);
    grid->setRowStretch(5, 1);
    grid->addLayout(ButtonRow(btnWorkModeRead, btnWorkModeSet), 6, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    return g;
}

QGroupBox* TMainSettingsPage::BuildAuthNumbers()
{
    gbVIPAlarm = Named(new QGroupBox(QStringLiteral("Authorization Number"), this), "gbVIPAlarm");
    auto* g = gbVIPAlarm;
    auto* grid = new QGridLayout(g);
    QLabel** labels[] = {&lblVIP_1, &lblVIP_2, &lblVIP_3, &lblVIP_4, &lblVIP_5};
    QLineEdit** edits[] = {&edtVIP_1, &edtVIP_2, &edtVIP_3, &edtVIP_4, &edtVIP_5};
    for (int i = 0; i < AuthNumberCount; ++i) {
        *labels[i] = Named(new QLabel(QStringLiteral("Phone %1:").arg(i + 1), g), QStringLiteral("lblVIP_%1").arg(i + 1).toLatin1().constData());
        *edits[i] = Named(new QLineEdit(g), QStringLiteral("edtVIP_%1").arg(i + 1).toLatin1().constData());
        FVip.append(*edits[i]);
        grid->addWidget(*labels[i], i, 0);
        grid->addWidget(*edits[i], i, 1);
    }
    btnVipCfgRead = MakeButton("btnVipCfgRead", "Read", g);
    btnVipCfgSet = MakeButton("btnVipCfgSet", "Write", g);
    grid->setRowStretch(AuthNumberCount, 1);
    grid->addLayout(ButtonRow(btnVipCfgRead, btnVipCfgSet), AuthNumberCount + 1, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    return g;
}

// ---------------------------------------------------------------------------------------------
// The page as a view of the settings model

void TMainSettingsPage::SetSettings(TTrackerSettings* settings)
{
    FSettings = settings ? settings : FOwnSettings.get();
}

const QStringList& TMainSettingsPage::Keys()
{
    static const QStringList keys = [] {
        QStringList k;
        for (const TSettingDef& d : SettingDefs())
            if (d.CmdNo != 22 && d.CmdNo != 9)
                k << QString::fromLatin1(d.Key);
        return k;
    }();
    return keys;
}

QLineEdit* TMainSettingsPage::TextEdit(const QString& key) const
{
    static const QHash<QString, QLineEdit* TMainSettingsPage::*> edits = {
        {QStringLiteral("alias"), &TMainSettingsPage::txtAlias},
        {QStringLiteral("time_difference"), &TMainSettingsPage::txtTimeDifferent},
        {QStringLiteral("gprs_ip"), &TMainSettingsPage::txtIPAddress},
        {QStringLiteral("gprs_port"), &TMainSettingsPage::txtPort},
        {QStringLiteral("gprs_apn"), &TMainSettingsPage::txtAPN},
        {QStringLiteral("gprs_user"), &TMainSettingsPage::txtAPNUsername},
        {QStringLiteral("gprs_password"), &TMainSettingsPage::txtAPNPassword},
        {QStringLiteral("gsensor"), &TMainSettingsPage::txtGSensorParam},
        {QStringLiteral("auth_1"), &TMainSettingsPage::edtVIP_1},
        {QStringLiteral("auth_2"), &TMainSettingsPage::edtVIP_2},
        {QStringLiteral("auth_3"), &TMainSettingsPage::edtVIP_3},
        {QStringLiteral("auth_4"), &TMainSettingsPage::edtVIP_4},
        {QStringLiteral("auth_5"), &TMainSettingsPage::edtVIP_5},
    };
    const auto it = edits.find(key);
    return it == edits.end() ? nullptr : this->*(it.value());
}

bool TMainSettingsPage::ShowSetting(const TTrackerSettings& settings, const QString& key)
{
    const QString value = settings.Value(key);
    if (QLineEdit* edit = TextEdit(key)) {
        edit->setText(value);
    } else if (key == QLatin1String("low_battery")) {
        cboBatteryAlert->setEditText(value);
    } else if (key == QLatin1String("upload_interval")) {
        CBox_UploadingInterval->setEditText(value);
    } else if (key == QLatin1String("upload_mode")) {
        // Setting the mode from an answer does not rebuild the interval list.
        const int32_t mode = StrToIntDef(value, 0);
        cbUpLoadMode->setCurrentIndex(mode >= 0 && mode < cbUpLoadMode->count() ? mode : -1);
    } else if (key == QLatin1String("strategy")) {
        // Selecting a button that was not selected runs its handler (its toggled signal).
        switch (StrToIntDef(value, 0)) {
        case 1: RBtn_Main_01->setChecked(true); break;
        case 2: RBtn_Main_02->setChecked(true); break;
        default: break;
        }
    } else if (key == QLatin1String("keep_alive")) {
        ApplyKeepAlive(StrToIntDef(value, 0));
    } else {
        return false;
    }
    return true;
}

bool TMainSettingsPage::TakeSetting(TTrackerSettings& settings, const QString& key)
{
    QString value;
    if (QLineEdit* edit = TextEdit(key)) {
        // An empty authorization number stays empty: its write sends "0" for it.
        value = TrimText(edit->text());
    } else if (key == QLatin1String("low_battery")) {
        value = TrimText(cboBatteryAlert->currentText());
    } else if (key == QLatin1String("upload_interval")) {
        value = IntegerForm(CBox_UploadingInterval->currentText());
    } else if (key == QLatin1String("upload_mode")) {
        value = QString::number(cbUpLoadMode->currentIndex());
    } else if (key == QLatin1String("strategy")) {
        value = RBtn_Main_02->isChecked() ? QStringLiteral("2") : QStringLiteral("1");
    } else if (key == QLatin1String("keep_alive")) {
        if (RCox_KeepAlive->isChecked()) {
            // A half-typed period (below 30, or empty) is settled first, so that the period sent
            // is the one the spin edit holds. The value, not the shown text: the text has the
            // digits of the user's locale, the tracker takes ASCII digits only.
            RzSpinEdit_KeepAlive->interpretText();
            value = QString::number(RzSpinEdit_KeepAlive->value());
        } else {
            value = QStringLiteral("0");
        }
    } else {
        return false;
    }
    settings.SetValue(key, value);
    return true;
}

void TMainSettingsPage::Take(const QStringList& keys)
{
    for (const QString& key : keys)
        TakeSetting(*FSettings, key);
}

QString TMainSettingsPage::FieldName(const QString& key) const
{
    static const QHash<QString, QLabel* TMainSettingsPage::*> labels = {
        {QStringLiteral("alias"), &TMainSettingsPage::lblAlias},
        {QStringLiteral("low_battery"), &TMainSettingsPage::lblBatteryPercent},
        {QStringLiteral("time_difference"), &TMainSettingsPage::lblTimeDif},
        {QStringLiteral("gsensor"), &TMainSettingsPage::lblGSensorParam},
        {QStringLiteral("gprs_ip"), &TMainSettingsPage::lblGprsIP},
        {QStringLiteral("gprs_port"), &TMainSettingsPage::lblGprsPort},
        {QStringLiteral("gprs_apn"), &TMainSettingsPage::lblGprsAPN},
        {QStringLiteral("gprs_user"), &TMainSettingsPage::lblAPNName},
        {QStringLiteral("gprs_password"), &TMainSettingsPage::lblApnPass},
        {QStringLiteral("auth_1"), &TMainSettingsPage::lblVIP_1},
        {QStringLiteral("auth_2"), &TMainSettingsPage::lblVIP_2},
        {QStringLiteral("auth_3"), &TMainSettingsPage::lblVIP_3},
        {QStringLiteral("auth_4"), &TMainSettingsPage::lblVIP_4},
        {QStringLiteral("auth_5"), &TMainSettingsPage::lblVIP_5},
    };
    const auto it = labels.find(key);
    return it == labels.end() ? key : LabelFieldName(this->*(it.value()));
}

// ---------------------------------------------------------------------------------------------
// Checks

bool TMainSettingsPage::CheckLowBattery()
{
    if (FSettings->LowBatteryAccepted())
        return true;
    Dialogs::ShowMessage(Translate(QStringLiteral("Error")),
                         Translate(QStringLiteral("Please Input The Low Battery Value More than 10!")), TMsgIcon::Error);
    FQueue.ClearCmdQueue();
    return false;
}

bool TMainSettingsPage::CheckCommandSafe(const QStringList& keys)
{
    const QString key = FSettings->FirstCommandBreaking(keys);
    if (key.isEmpty())
        return true;
    Dialogs::ShowMessage(Translate(QStringLiteral("Error")), TranslateText("refuse_separator").arg(FieldName(key)),
                         TMsgIcon::Error);
    return false;
}

bool TMainSettingsPage::CheckCommandFits(int32_t cmdNo, int32_t entry)
{
    const qsizetype size = FSettings->OversizeOf(cmdNo, entry);
    if (size == 0)
        return true;
    // Of the fields that make up the command, the longest is the one to shorten.
    const QString longest = FSettings->LongestValue(TTrackerSettings::KeysOf(cmdNo, entry));
    Dialogs::ShowMessage(Translate(QStringLiteral("Error")),
                         TranslateText("refuse_long_value")
                             .arg(FieldName(longest), QString::number(size), QString::number(MaxCommandTextSize)),
                         TMsgIcon::Error);
    return false;
}

bool TMainSettingsPage::CheckBasicInfoText()
{
    return CheckCommandSafe({QStringLiteral("alias"), QStringLiteral("time_difference"), QStringLiteral("gsensor")}) &&
           CheckCommandFits(17) && CheckCommandFits(10) && CheckCommandFits(12) && CheckCommandFits(31);
}

bool TMainSettingsPage::CheckGprsText()
{
    return CheckCommandSafe(TTrackerSettings::KeysOf(5)) && CheckCommandFits(5);
}

bool TMainSettingsPage::CheckAuthNumbersText()
{
    for (int k = 1; k <= AuthNumberCount; ++k)
        if (!CheckCommandFits(11, k))
            return false;
    return true;
}

bool TMainSettingsPage::TryUploadInterval(int32_t& interval)
{
    if (FSettings->TryUploadInterval(interval))
        return true;
    emit WriteStopped(
        TranslateText("status_write_stopped").arg(SettingName(*FindSettingDef(QStringLiteral("upload_interval")))));
    return false;
}

bool TMainSettingsPage::CheckValues(const QStringList& keys)
{
    for (const QString& key : keys) {
        const TSettingDef* def = FindSettingDef(key);
        if (!def || def->Type == TSettingType::Phone)
            continue;
        const TValueFault fault = CheckSettingValue(*def, FSettings->Value(key));
        if (fault == TValueFault::None)
            continue;
        FQueue.ClearCmdQueue();
        Dialogs::ShowMessage(Translate(QStringLiteral("Error")), SettingRefusalText(*def, fault), TMsgIcon::Error);
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Write requests

void TMainSettingsPage::QueueWrite(int32_t cmdNo)
{
    const TCmdItem write = FSettings->WriteRequest(cmdNo);
    FQueue.QueueCmd(write.CmdNo, write.RWFlag, false, write.ParamText);
}

void TMainSettingsPage::QueueAuthNumberWrite(int k)
{
    if (!FSettings->AuthNumberAccepted(k)) {
        Dialogs::ShowMessage(QString::fromLatin1(ApplicationTitle),
                             // The template is translated, then its number filled in as text:
                             // a translation is never taken for a format of its own.
                             Translate(QStringLiteral("VIP number %d is error."))
                                 .replace(QStringLiteral("%d"), QString::number(k)),
                             TMsgIcon::None);
        return;
    }
    const TCmdItem write = FSettings->WriteRequest(11, k);
    FQueue.QueueCmd(write.CmdNo, write.RWFlag, false, write.ParamText);
}

// ---------------------------------------------------------------------------------------------
// Button handlers

void TMainSettingsPage::btnCenterNumberReadClick()
{
    FQueue.ClearCmdQueue();
    txtAlias->clear();
    for (int32_t cmd : {17, 10, 12, 31})
        FQueue.QueueCmd(cmd, 0, false, {});
    FQueue.StartUserCmdQueue();
}

void TMainSettingsPage::btnCenterNumberSetClick()
{
    FQueue.ClearCmdQueue();
    Take({QStringLiteral("alias"), QStringLiteral("low_battery"), QStringLiteral("time_difference"),
          QStringLiteral("gsensor")});
    if (!CheckBasicInfoText())
        return;
    QueueWrite(17);
    if (!CheckLowBattery())
        return;
    QueueWrite(10);
    QueueWrite(12);
    QueueWrite(31);
    if (!CheckValues({QStringLiteral("alias"), QStringLiteral("low_battery"), QStringLiteral("time_difference"),
                      QStringLiteral("gsensor")}))
        return;
    FQueue.StartUserCmdQueue();
}

void TMainSettingsPage::btnGprsReadClick()
{
    FQueue.ClearCmdQueue();
    FQueue.QueueCmd(5, 0, false, {});
    FQueue.StartUserCmdQueue();
}

void TMainSettingsPage::btnGprsSetClick()
{
    FQueue.ClearCmdQueue();
    Take(TTrackerSettings::KeysOf(5));
    if (!CheckGprsText())
        return;
    QueueWrite(5);
    if (!CheckValues(TTrackerSettings::KeysOf(5)))
        return;
    FQueue.StartUserCmdQueue();
}

void TMainSettingsPage::btnWorkModeReadClick()
{
    FQueue.ClearCmdQueue();
    for (int32_t cmd : {4, 7, 18})
        FQueue.QueueCmd(cmd, 0, false, {});
    FQueue.StartUserCmdQueue();
}

void TMainSettingsPage::btnWorkModeSetClick()
{
    FQueue.ClearCmdQueue();
    Take({QStringLiteral("upload_interval"), QStringLiteral("upload_mode"), QStringLiteral("strategy")});
    int32_t interval = 0;
    if (!TryUploadInterval(interval))
        return; // no box: the list offers valid values; the status line says why nothing went
    QueueWrite(4);
    QueueWrite(7);
    Take({QStringLiteral("keep_alive")});
    QueueWrite(18);
    if (!CheckValues({QStringLiteral("upload_interval"), QStringLiteral("upload_mode"), QStringLiteral("strategy"),
                      QStringLiteral("keep_alive")}))
        return;
    FQueue.StartUserCmdQueue();
}

void TMainSettingsPage::btnVipCfgReadClick()
{
    FQueue.ClearCmdQueue();
    for (int32_t k = 1; k <= AuthNumberCount; ++k)
        FQueue.QueueCmd(11, 0, false, QByteArrayLiteral(",") + QByteArray::number(k));
    FQueue.StartUserCmdQueue();
}

void TMainSettingsPage::btnVipCfgSetClick()
{
    // Cleared like every other request: items left over from a stalled exchange or an abandoned
    // Write All must not go out with the numbers the user asked to write.
    FQueue.ClearCmdQueue();
    Take(TTrackerSettings::KeysOf(11, 1) + TTrackerSettings::KeysOf(11, 2) + TTrackerSettings::KeysOf(11, 3) +
         TTrackerSettings::KeysOf(11, 4) + TTrackerSettings::KeysOf(11, 5));
    if (!CheckAuthNumbersText())
        return;
    for (int k = 1; k <= AuthNumberCount; ++k)
        QueueAuthNumberWrite(k);
    if (FQueue.Count() > 0)
        FQueue.StartUserCmdQueue();
}

// ---------------------------------------------------------------------------------------------
// Strategy, mode and keep-alive

void TMainSettingsPage::RebuildIntervalList()
{
    CBox_UploadingInterval->clear();
    CBox_UploadingInterval->setEditText(QString());
    switch (cbUpLoadMode->currentIndex()) {
    case 0:
        if (RBtn_Main_01->isChecked())
            CBox_UploadingInterval->addItems({QStringLiteral("150"), QStringLiteral("1800"), QStringLiteral("3600")});
        else
            CBox_UploadingInterval->addItems({QStringLiteral("150"), QStringLiteral("180"), QStringLiteral("300")});
        CBox_UploadingInterval->setCurrentIndex(0);
        break;
    case 1:
        CBox_UploadingInterval->addItems({QStringLiteral("5"), QStringLiteral("30"), QStringLiteral("60"), QStringLiteral("120")});
        CBox_UploadingInterval->setCurrentIndex(1);
        break;
    default:
        break; // no mode: no list
    }
}

void TMainSettingsPage::RBtn_Main_01Click()
{
    RebuildIntervalList();
    pnlKeepAlive->setVisible(true);
    if (LastKeepAlive > 30) {
        RCox_KeepAlive->setChecked(true);
        RzSpinEdit_KeepAlive->setValue(LastKeepAlive);
    } else {
        RCox_KeepAlive->setChecked(false);
        RzSpinEdit_KeepAlive->setValue(KeepAliveDefault);
    }
}

void TMainSettingsPage::RBtn_Main_02Click()
{
    RebuildIntervalList();
    pnlKeepAlive->setVisible(false);
    RCox_KeepAlive->setChecked(false);
}

void TMainSettingsPage::cbUpLoadModeClick()
{
    RebuildIntervalList();
}

void TMainSettingsPage::ApplyKeepAlive(int32_t seconds)
{
    LastKeepAlive = seconds;
    if (seconds > 30) {
        RCox_KeepAlive->setChecked(true);
        RzSpinEdit_KeepAlive->setValue(seconds);
    } else {
        RCox_KeepAlive->setChecked(false);
        RzSpinEdit_KeepAlive->setValue(KeepAliveDefault);
    }
}
