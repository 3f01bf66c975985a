#include "app/FrmMain.h"

#include "app/ComLed.h"
#include "app/KeyFilters.h"
#include "app/SegmentProgressBar.h"
#include "core/AppError.h"
#include "core/Clock.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "core/IniText.h"
#include "core/NestedLoops.h"
#include "core/Numbers.h"
#include "core/Version.h"
#include "diag/ConsolePage.h"
#include "diag/LogLine.h"
#include "fleet/ProvisionWindow.h"
#include "geo/MapGroup.h"
#include "i18n/Language.h"
#include "i18n/ProgramTexts.h"
#include "params/ParamChecks.h"
#include "params/ParamsFile.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>
#include <utility>

namespace {

QPushButton* MakeButton(const QString& name, const QString& caption, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

QLabel* MakeLabel(const QString& name, const QString& caption, QWidget* parent)
{
    auto* l = new QLabel(caption, parent);
    l->setObjectName(name);
    return l;
}

QLineEdit* MakeEdit(const QString& name, const QString& text, QWidget* parent)
{
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(name);
    return e;
}

} // namespace

TFrmMain::TFrmMain(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FrmMain"));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(12);
    setFont(font);
    FQueue.reset(new TCmdQueue(static_cast<ICmdQueueHost&>(*this), static_cast<IByteChannel&>(*this), this));
    BuildLayout();
    ConnectParamsFiles();
    ConnectSerialLine();
    // Labels show what the tracker answered, what files hold and what translations say: as text,
    // never as markup that Qt would guess from a "<b>" in it.
    for (QLabel* label : findChildren<QLabel*>())
        label->setTextFormat(Qt::PlainText);
    setFixedSize(973, 596);
    // A fixed-size window: a title, the system menu, minimize and close, but no maximize button
    // (the window manager would otherwise offer one that cannot do anything).
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    FormCreate();
    InstallAccessibility();
    InstallKeyboardNavigation();
}

TFrmMain::~TFrmMain()
{
    // The station's slots close their ports while the window is still whole: a close handles
    // events, and those must not reach a window half taken down.
    delete findChild<TProvisionWindow*>(QStringLiteral("FrmProvision"));
    FormDestroy();
    // The child widgets go while the window's members (the fence list, the queue, the port)
    // still live: taking down the map's browser handles events, and a repaint of the fence
    // table then must not read a fence list already gone.
    qDeleteAll(findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly));
}

const QStringList& TFrmMain::CommandButtonNames()
{
    static const QStringList names = {
        QStringLiteral("btn_GeoDisable"),      QStringLiteral("sbT01"),
        QStringLiteral("btnCenterNumberRead"), QStringLiteral("btnCenterNumberSet"),
        QStringLiteral("btnGprsSet"),          QStringLiteral("btnGprsRead"),
        QStringLiteral("btnWorkModeRead"),     QStringLiteral("btnWorkModeSet"),
        QStringLiteral("btnSelfHotSpotRead"),  QStringLiteral("btnSelfHotSpotWrite"),
        QStringLiteral("btn_GeoRead"),         QStringLiteral("btnVipCfgRead"),
        QStringLiteral("btnVipCfgSet"),        QStringLiteral("btnReadAll"),
        QStringLiteral("btnWriteAll"),         QStringLiteral("btnDefault"),
        QStringLiteral("btn_GeoEdit"),         QStringLiteral("btn_GeoSetAll"),
    };
    return names;
}

void TFrmMain::SetCommandButtonsEnabled(bool enabled)
{
    if (!enabled)
        rgbBar->SetNote(QString()); // an exchange starts: an earlier note no longer holds
    // The buttons live on their pages; they are found by name, in the fixed order.
    for (const QString& name : CommandButtonNames())
        if (auto* button = findChild<QWidget*>(name))
            button->setEnabled(enabled);
}

// ---------------------------------------------------------------------------------------------
// Layout

void TFrmMain::BuildLayout()
{
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    QWidget* top = BuildTopPanel();
    top->setFixedHeight(105);
    root->addWidget(top);
    // The bottom panel's buttons exist before the pages, which connect to them.
    pnBtm = BuildBottomPanel();
    pnBtm->setFixedHeight(43);

    rgbBar = new TSegmentProgressBar(this);
    rgbBar->setObjectName(QStringLiteral("rgbBar"));
    root->addWidget(rgbBar);

    pgCtrl = new QTabWidget(this);
    pgCtrl->setObjectName(QStringLiteral("pgCtrl"));
    tsMain = new QWidget;
    tsMain->setObjectName(QStringLiteral("tsMain"));
    tsAlarm = new QWidget;
    tsAlarm->setObjectName(QStringLiteral("tsAlarm"));
    tsGeo = new QWidget;
    tsGeo->setObjectName(QStringLiteral("tsGeo"));
    tsAdvOperation = new QWidget;
    tsAdvOperation->setObjectName(QStringLiteral("tsAdvOperation"));
    pgCtrl->addTab(tsMain, QStringLiteral("Main Settings"));
    pgCtrl->addTab(tsAlarm, QStringLiteral("Alarm Setting"));
    pgCtrl->addTab(tsGeo, QStringLiteral("Geo-fence Setting"));
    pgCtrl->addTab(tsAdvOperation, QStringLiteral("Advanced Operations"));
    root->addWidget(pgCtrl, 1);

    BuildSettingsPages();
    BuildGeoPage();
    BuildConsolePage();

    root->addWidget(pnBtm);
}

QWidget* TFrmMain::BuildTopPanel()
{
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("pnlTop"));
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(4, 2, 4, 2);

    rgbCom = new QGroupBox(QStringLiteral("COM Setting"), panel);
    rgbCom->setObjectName(QStringLiteral("rgbCom"));
    rgbCom->setFixedWidth(328);
    auto* com = new QGridLayout(rgbCom);
    lblComPort = MakeLabel(QStringLiteral("lblComPort"), QStringLiteral("COM Port"), rgbCom);
    cboCOMIndex = new QComboBox(rgbCom);
    cboCOMIndex->setObjectName(QStringLiteral("cboCOMIndex"));
    cboCOMIndex->setEditable(true);
    lblBaudRate = MakeLabel(QStringLiteral("lblBaudRate"), QStringLiteral("Baud Rate"), rgbCom);
    txtBAUD = MakeEdit(QStringLiteral("txtBAUD"), QStringLiteral("9600"), rgbCom);
    ComLed1 = new TComLed(rgbCom);
    ComLed1->setObjectName(QStringLiteral("ComLed1"));
    btn_Switch = MakeButton(QStringLiteral("btn_Switch"), QStringLiteral("Open[&O]"), rgbCom);
    QFont bold = btn_Switch->font();
    bold.setBold(true);
    bold.setPixelSize(16);
    btn_Switch->setFont(bold);
    btn_Switch->setStyleSheet(QStringLiteral("color: #0000FF"));
    btnShowMsg = MakeButton(QStringLiteral("btnShowMsg"), QStringLiteral("Debug Info"), rgbCom);
    com->addWidget(lblComPort, 0, 0);
    com->addWidget(cboCOMIndex, 0, 1);
    com->addWidget(ComLed1, 0, 2);
    com->addWidget(btn_Switch, 0, 3, 2, 1);
    com->addWidget(lblBaudRate, 1, 0);
    com->addWidget(txtBAUD, 1, 1);
    com->addWidget(btnShowMsg, 1, 2);
    InstallKeyFilter(cboCOMIndex, TKeyFilter::Digits);
    layout->addWidget(rgbCom);

    rgbInfo = new QGroupBox(QStringLiteral("Basic information"), panel);
    rgbInfo->setObjectName(QStringLiteral("rgbInfo"));
    auto* info = new QHBoxLayout(rgbInfo);
    lblID = MakeLabel(QStringLiteral("lblID"), QStringLiteral("ID:"), rgbInfo);
    lblID->installEventFilter(this);
    info->addWidget(lblID);
    info->addStretch(1);
    layout->addWidget(rgbInfo, 1);
    return panel;
}

QWidget* TFrmMain::BuildBottomPanel()
{
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("pnBtm"));
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    btnReadAll = MakeButton(QStringLiteral("btnReadAll"), QStringLiteral("Read All [&A]"), panel);
    btnWriteAll = MakeButton(QStringLiteral("btnWriteAll"), QStringLiteral("Write All [&W]"), panel);
    btnDefault = MakeButton(QStringLiteral("btnDefault"), QStringLiteral("Factory Default [&D]"), panel);
    // Red while it can be pressed; the usual grey while the command buttons are off.
    btnDefault->setStyleSheet(QStringLiteral("QPushButton:enabled { color: red; }"));
    cbTipOnOK = new QCheckBox(QStringLiteral("show tip message"), panel);
    cbTipOnOK->setObjectName(QStringLiteral("cbTipOnOK"));
    cbTipOnOK->setChecked(true);
    lblLanguage = MakeLabel(QStringLiteral("lblLanguage"), QStringLiteral("Language:"), panel);
    cbLanguage = new QComboBox(panel);
    cbLanguage->setObjectName(QStringLiteral("cbLanguage"));
    cbLanguage->setEditable(false);
    cbLanguage->setMinimumWidth(90);
    btnSave = MakeButton(QStringLiteral("btnSave"), QStringLiteral("Save[&S]"), panel);
    btnLoad = MakeButton(QStringLiteral("btnLoad"), QStringLiteral("Load[&L]"), panel);
    layout->addWidget(btnReadAll);
    layout->addWidget(btnWriteAll);
    layout->addWidget(btnDefault);
    layout->addSpacing(6);
    layout->addWidget(cbTipOnOK);
    layout->addStretch(1);
    layout->addWidget(lblLanguage);
    layout->addWidget(cbLanguage);
    layout->addSpacing(6);
    layout->addWidget(btnSave);
    layout->addWidget(btnLoad);
    return panel;
}

void TFrmMain::FitBottomButtons()
{
    // The bottom row holds more than the fixed window width gives at the style's usual button
    // width: the file and batch buttons take the width of their captions, in any language.
    for (QPushButton* b : findChildren<QPushButton*>(QString(), Qt::FindChildrenRecursively))
        if (b->parentWidget() == pnBtm && b != btnReadAll && b != btnWriteAll && b != btnDefault)
            b->setMaximumWidth(b->fontMetrics().horizontalAdvance(QString(b->text()).remove(QLatin1Char('&'))) + 18);
}

// ---------------------------------------------------------------------------------------------
// Start-up and shutdown

void TFrmMain::FormCreate()
{
    try {
        // Numbers are always formatted and parsed with "." (core/Numbers.h, QLocale::c()), so
        // there is no user-wide separator to force here.
        InitGeoFenceStore();
        FillLanguageList();
        SetCommandButtonsEnabled(false);
        ReadProgramSettings();
        LoadConfiguredLanguage();
        InitGeoFenceList();
        ApplyInterfaceTexts();
        SaveEnglishCatalogue();
        SelectConfiguredLanguage();
        InstallKeyFilter(findChild<QWidget*>(QStringLiteral("cboBatteryAlert")), TKeyFilter::Digits);
        InstallKeyFilter(ed_MapLat, TKeyFilter::Digits);
        InstallKeyFilter(ed_MapLng, TKeyFilter::Digits);
        InstallKeyFilter(ed_MapZoom, TKeyFilter::Digits);
        FillPortList();
        pgCtrl->setCurrentIndex(0);
        CreateBrowserHost();
        ResetStatusPanel();
        if (cboCOMIndex->count() > 0)
            cboCOMIndex->setCurrentIndex(0);
        InstallKeyFilters();
        PrepareSettingsPages();
        FitBottomButtons();
    } catch (const EAppError& e) {
        Dialogs::ShowMessage(windowTitle(), e.Message(), TMsgIcon::Error);
    } catch (const std::exception& e) {
        Dialogs::ShowMessage(windowTitle(), QString::fromLocal8Bit(e.what()), TMsgIcon::Error);
    }
}

void TFrmMain::ReadProgramSettings()
{
    const QString path = SettingsFilePath();
    TIniText ini;
    QString reason;
    // A missing file gives the defaults. One that exists but cannot be read gives them too, for
    // this run only: writing them back would throw away the user's ports and language.
    const bool readable = ini.LoadFile(path, &reason);
    if (!readable)
        Dialogs::ShowMessage(QString::fromLatin1(ApplicationTitle), TranslateText("settings_unreadable").arg(path, reason),
                             TMsgIcon::Error);
    const QString section = QStringLiteral("config");
    QString language = ini.ReadString(section, QStringLiteral("language"), QString());
    if (language.isEmpty()) {
        language = QStringLiteral("english");
        ini.WriteString(section, QStringLiteral("language"), language);
    }
    FLanguage = language;
    const auto field = [&](const char* key, const char* def, QLineEdit* edit) {
        edit->setText(ini.ReadString(section, QString::fromLatin1(key), QString::fromLatin1(def)));
        ini.WriteString(section, QString::fromLatin1(key), edit->text());
    };
    field("lat", "22.917922", ed_MapLat);
    field("lng", "125.156251", ed_MapLng);
    field("zoom", "2", ed_MapZoom);
    field("googleurl", DefaultMapHost, ed_googleurl);
    ReadMapSettings(ini);
    if (readable)
        ini.SaveFile(path);
}

void TFrmMain::InstallKeyFilters()
{
    const auto install = [this](const char* name, TKeyFilter filter) {
        InstallKeyFilter(findChild<QWidget*>(QString::fromLatin1(name)), filter);
    };
    for (const char* name : {"txtPort", "txtTimeDifferent", "txtRadius"})
        install(name, TKeyFilter::SignedNumber);
    for (const char* name : {"edtVIP_1", "edtVIP_2", "edtVIP_3", "edtVIP_4", "edtVIP_5"})
        install(name, TKeyFilter::Phone);
    for (const char* name : {"txtGeofenceLTLatitude", "txtGeofenceLTLongitude", "txtGeofenceRBLatitude",
                             "txtGeofenceRBLongitude"})
        install(name, TKeyFilter::Coordinate);
    for (const char* name : {"txtGeofenceName", "txtAlias"})
        install(name, TKeyFilter::Name);
}

void TFrmMain::closeEvent(QCloseEvent* event)
{
    // Inside a nested loop (a message box, the pause between two commands, a wait for the map)
    // the handler that runs it is still on the stack: closing the port under it, or deleting a
    // window that is deleted on close, would pull its objects away. Nothing more goes to the
    // tracker from now on, and the close comes back once the last nested loop has returned.
    if (NestedLoops::Depth() > 0) {
        event->ignore();
        FQueue->AbortCmdQueue();
        if (!FClosePending) {
            FClosePending = true;
            NestedLoops::WhenAllEnded(this, [this] {
                FClosePending = false;
                close();
            });
        }
        return;
    }
    FormClose();
    event->accept();
}

void TFrmMain::FormClose()
{
    // Closing the port at shutdown never fails the close request.
    try {
        ClosePortAtShutdown();
    } catch (...) {
    }
}

void TFrmMain::FormDestroy()
{
    if (FDestroyed)
        return;
    FDestroyed = true;
    FQueue->AbortCmdQueue();
}

// ---------------------------------------------------------------------------------------------
// Advanced controls

bool TFrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lblID && event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        lblIDMouseDown(mouse->button(), mouse->modifiers());
    }
    if (watched == lblLanguageNotice && lblLanguageNotice && event->type() == QEvent::MouseButtonPress)
        lblLanguageNotice->hide();
    return QWidget::eventFilter(watched, event);
}

void TFrmMain::lblIDMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    const bool show = button == Qt::LeftButton && modifiers == (Qt::ControlModifier | Qt::ShiftModifier);
    btnShowMsg->setVisible(show);
    gbGPRS->setVisible(show);
    pgCtrl->setTabVisible(pgCtrl->indexOf(tsAdvOperation), show);
}

// ---------------------------------------------------------------------------------------------
// Command queue host

void TFrmMain::SetProgressTotal(int total) { rgbBar->SetTotalParts(total); }

void TFrmMain::SetProgressComplete(int complete) { rgbBar->SetPartsComplete(complete); }

void TFrmMain::LogSeparator() { AppendLogLine(QString()); }

void TFrmMain::LogSent(const QString& word, const QByteArray& commandText)
{
    AppendLogLine(FormatSentLine(Clock::Now(), word, commandText));
}

void TFrmMain::LogReceived(const QString& word, const QByteArray& payload)
{
    AppendLogLine(FormatReceivedLine(Clock::Now(), word, payload));
    if (FConsolePage)
        FConsolePage->AnswerReceived();
}

QString TFrmMain::Translate(const QString& text) { return ::Translate(text); }
