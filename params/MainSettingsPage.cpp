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

// "," followed by the field's text as it goes on the wire.
QByteArray Param(const QString& text)
{
    return QByteArrayLiteral(",") + WireText(text);
}

QByteArray Param(int32_t value)
{
    return QByteArrayLiteral(",") + QByteArray::number(value);
}

// A field's name as the user sees it: its label's caption without the colon and the shortcut mark.
QString FieldName(const QLabel* label)
{
    QString name = label->text();
    name.remove(QLatin1Char('&'));
    name = TrimText(name);
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    return name;
}

} // namespace

TMainSettingsPage::TMainSettingsPage(TCmdQueue& queue, QWidget* parent) : QWidget(parent), FQueue(queue)
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
// Checks

bool TMainSettingsPage::CheckLowBattery()
{
    if (StrToIntDef(TrimText(cboBatteryAlert->currentText()), 0) >= 10)
        return true;
    Dialogs::ShowMessage(Translate(QStringLiteral("Error")),
                         Translate(QStringLiteral("Please Input The Low Battery Value More than 10!")), TMsgIcon::Error);
    FQueue.ClearCmdQueue();
    return false;
}

bool TMainSettingsPage::CheckCommandSafe(std::initializer_list<std::pair<const QLabel*, const QLineEdit*>> fields)
{
    for (const auto& [label, edit] : fields) {
        if (!HasCommandBreakingChar(TrimText(edit->text())))
            continue;
        Dialogs::ShowMessage(
            Translate(QStringLiteral("Error")),
            TranslateText("refuse_separator").arg(FieldName(label)),
            TMsgIcon::Error);
        return false;
    }
    return true;
}

bool TMainSettingsPage::CheckCommandFits(int32_t cmdNo, const QByteArray& paramText,
                                         std::initializer_list<std::pair<const QLabel*, const QLineEdit*>> fields)
{
    const qsizetype size = BuildCmdText(cmdNo, 1, false, paramText).size();
    if (size <= MaxCommandTextSize)
        return true;
    // Of the fields that make up the command, the longest is the one to shorten.
    const QLabel* longest = fields.begin()->first;
    qsizetype longestSize = -1;
    for (const auto& [label, edit] : fields) {
        const qsizetype n = WireText(TrimText(edit->text())).size();
        if (n > longestSize) {
            longestSize = n;
            longest = label;
        }
    }
    Dialogs::ShowMessage(Translate(QStringLiteral("Error")),
                         TranslateText("refuse_long_value")
                             .arg(FieldName(longest), QString::number(size), QString::number(MaxCommandTextSize)),
                         TMsgIcon::Error);
    return false;
}

bool TMainSettingsPage::CheckBasicInfoText()
{
    return CheckCommandSafe({{lblAlias, txtAlias}, {lblTimeDif, txtTimeDifferent}, {lblGSensorParam, txtGSensorParam}}) &&
           CheckCommandFits(17, Param(TrimText(txtAlias->text())), {{lblAlias, txtAlias}}) &&
           CheckCommandFits(10, Param(TrimText(cboBatteryAlert->currentText())),
                            {{lblBatteryPercent, cboBatteryAlert->lineEdit()}}) &&
           CheckCommandFits(12, Param(TrimText(txtTimeDifferent->text())), {{lblTimeDif, txtTimeDifferent}}) &&
           CheckCommandFits(31, Param(TrimText(txtGSensorParam->text())), {{lblGSensorParam, txtGSensorParam}});
}

bool TMainSettingsPage::CheckGprsText()
{
    return CheckCommandSafe({{lblGprsIP, txtIPAddress},
                             {lblGprsPort, txtPort},
                             {lblGprsAPN, txtAPN},
                             {lblAPNName, txtAPNUsername},
                             {lblApnPass, txtAPNPassword}}) &&
           CheckCommandFits(5, GprsParam(),
                            {{lblGprsIP, txtIPAddress},
                             {lblGprsPort, txtPort},
                             {lblGprsAPN, txtAPN},
                             {lblAPNName, txtAPNUsername},
                             {lblApnPass, txtAPNPassword}});
}

bool TMainSettingsPage::CheckAuthNumbersText()
{
    const QLabel* labels[] = {lblVIP_1, lblVIP_2, lblVIP_3, lblVIP_4, lblVIP_5};
    for (int k = 1; k <= AuthNumberCount; ++k)
        if (!CheckCommandFits(11, Param(int32_t(k)) + Param(TrimText(AuthNumberEdit(k)->text())),
                              {{labels[k - 1], AuthNumberEdit(k)}}))
            return false;
    return true;
}

bool TMainSettingsPage::TryUploadInterval(int32_t& interval) const
{
    return TryStrToInt(TrimText(CBox_UploadingInterval->currentText()), interval);
}

// ---------------------------------------------------------------------------------------------
// Write requests

void TMainSettingsPage::QueueAliasWrite()
{
    FQueue.QueueCmd(17, 1, false, Param(TrimText(txtAlias->text())));
}

void TMainSettingsPage::QueueLowBatteryWrite()
{
    FQueue.QueueCmd(10, 1, false, Param(TrimText(cboBatteryAlert->currentText())));
}

void TMainSettingsPage::QueueTimeDifferenceWrite()
{
    FQueue.QueueCmd(12, 1, false, Param(TrimText(txtTimeDifferent->text())));
}

void TMainSettingsPage::QueueGSensorWrite()
{
    FQueue.QueueCmd(31, 1, false, Param(TrimText(txtGSensorParam->text())));
}

QByteArray TMainSettingsPage::GprsParam() const
{
    QByteArray param;
    for (const QLineEdit* e : {txtIPAddress, txtPort, txtAPN, txtAPNUsername, txtAPNPassword})
        param += Param(TrimText(e->text()));
    return param;
}

void TMainSettingsPage::QueueGprsWrite()
{
    FQueue.QueueCmd(5, 1, false, GprsParam());
}

void TMainSettingsPage::QueueUploadModeWrite(int32_t interval)
{
    FQueue.QueueCmd(4, 1, false, Param(interval) + Param(int32_t(cbUpLoadMode->currentIndex())));
}

void TMainSettingsPage::QueueStrategyWrite()
{
    FQueue.QueueCmd(7, 1, false, Param(RBtn_Main_02->isChecked() ? 2 : 1));
}

void TMainSettingsPage::QueueKeepAliveWrite()
{
    if (!RCox_KeepAlive->isChecked()) {
        FQueue.QueueCmd(18, 1, false, Param(0));
        return;
    }
    // A half-typed period (below 30, or empty) is settled first, so that the text sent is the
    // period the spin edit holds.
    // The value, not the shown text: the text has the digits of the user's locale, the tracker
    // takes ASCII digits only.
    RzSpinEdit_KeepAlive->interpretText();
    FQueue.QueueCmd(18, 1, false, Param(int32_t(RzSpinEdit_KeepAlive->value())));
}

void TMainSettingsPage::QueueAuthNumberWrite(int k)
{
    QString t = TrimText(AuthNumberEdit(k)->text());
    if (!IsPhoneNumberText(t)) {
        Dialogs::ShowMessage(QString::fromLatin1(ApplicationTitle),
                             // The template is translated, then its number filled in as text:
                             // a translation is never taken for a format of its own.
                             Translate(QStringLiteral("VIP number %d is error."))
                                 .replace(QStringLiteral("%d"), QString::number(k)),
                             TMsgIcon::None);
        return;
    }
    if (t.isEmpty())
        t = QStringLiteral("0");
    FQueue.QueueCmd(11, 1, false, Param(int32_t(k)) + Param(t));
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
    if (!CheckBasicInfoText())
        return;
    QueueAliasWrite();
    if (!CheckLowBattery())
        return;
    QueueLowBatteryWrite();
    QueueTimeDifferenceWrite();
    QueueGSensorWrite();
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
    if (!CheckGprsText())
        return;
    QueueGprsWrite();
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
    int32_t interval = 0;
    if (!TryUploadInterval(interval))
        return; // silently: the list offers valid values, a typed non-number is simply not sent
    QueueUploadModeWrite(interval);
    QueueStrategyWrite();
    QueueKeepAliveWrite();
    FQueue.StartUserCmdQueue();
}

void TMainSettingsPage::btnVipCfgReadClick()
{
    FQueue.ClearCmdQueue();
    for (int32_t k = 1; k <= AuthNumberCount; ++k)
        FQueue.QueueCmd(11, 0, false, Param(k));
    FQueue.StartUserCmdQueue();
}

void TMainSettingsPage::btnVipCfgSetClick()
{
    // Cleared like every other request: items left over from a stalled exchange or an abandoned
    // Write All must not go out with the numbers the user asked to write.
    FQueue.ClearCmdQueue();
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
