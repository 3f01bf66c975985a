// Languages: the language list, loading the chosen language, and the interface texts.
//
// The order of the Translate calls in ApplyInterfaceTexts fixes the catalogue numbers of every
// language file: a file made for one build fits another only when both number the same texts in
// the same order. So every text is translated here even when its control does not exist, and the
// order must never change; new texts belong at the end.
#include "app/ControlCaption.h"
#include "app/FrmMain.h"

#include "core/AppError.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "core/IniText.h"
#include "core/Version.h"
#include "diag/DebugMemo.h"
#include "fleet/CompareDialog.h"
#include "geo/MapGroup.h"
#include "i18n/Language.h"

#include "i18n/ProgramTexts.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>
#include <QTimer>
#include <algorithm>

void TFrmMain::FillLanguageList()
{
    cbLanguage->clear();
    cbLanguage->addItems(ListLanguages());
    // Only a choice of the user (not the selection made at start-up) changes the language.
    connect(cbLanguage, &QComboBox::activated, this, &TFrmMain::cbLanguageChange, Qt::UniqueConnection);
}

void TFrmMain::LoadConfiguredLanguage()
{
    LoadLanguage(FLanguage);
    FCaptionLanguage = CurrentLanguage();
}

void TFrmMain::SaveEnglishCatalogue() { SaveLanguageCatalogue(QStringLiteral("english")); }

void TFrmMain::SelectConfiguredLanguage()
{
    // English is the program's own language: it can always be chosen, even before its
    // catalogue has been written once.
    bool hasEnglish = false;
    for (int i = 0; i < cbLanguage->count(); ++i)
        hasEnglish = hasEnglish || cbLanguage->itemText(i).compare(QStringLiteral("english"), Qt::CaseInsensitive) == 0;
    if (!hasEnglish)
        cbLanguage->addItem(QStringLiteral("english"));
    // File names are compared without regard to case, as on the program's first platform; a
    // combo box selects its first item by itself, so "none" must be set explicitly.
    int selected = -1;
    for (int i = 0; i < cbLanguage->count() && selected < 0; ++i)
        if (cbLanguage->itemText(i).compare(FLanguage, Qt::CaseInsensitive) == 0)
            selected = i;
    cbLanguage->setCurrentIndex(selected);
}

void TFrmMain::cbLanguageChange()
{
    const QString name = cbLanguage->currentText();
    try {
        LoadLanguage(name);
        // Captions change at the next start; a notice already on show is said again now.
        if (rgMap)
            rgMap->RetranslateNotice();
        const QString path = SettingsFilePath();
        TIniText settings;
        QString reason;
        // Rewriting a settings file that could not be read would lose everything else it holds.
        if (!settings.LoadFile(path, &reason))
            throw EAppError(QStringLiteral("Cannot read file \"%1\". %2").arg(path, reason));
        settings.WriteString(QStringLiteral("config"), QStringLiteral("language"), name);
        settings.SaveFile(path);
        ShowLanguageNotice(name);
    } catch (const EAppError& e) {
        Dialogs::ShowMessage(windowTitle(), e.Message(), TMsgIcon::Error);
    }
}

void TFrmMain::ShowLanguageNotice(const QString& chosen)
{
    if (chosen.compare(FCaptionLanguage, Qt::CaseInsensitive) == 0) {
        if (lblLanguageNotice)
            lblLanguageNotice->hide();
        return;
    }
    if (!lblLanguageNotice) {
        // Lies over the page just above the language list; a click or its time takes it away.
        lblLanguageNotice = new QLabel(this);
        lblLanguageNotice->setObjectName(QStringLiteral("lblLanguageNotice"));
        lblLanguageNotice->setTextFormat(Qt::PlainText);
        lblLanguageNotice->setWordWrap(true);
        lblLanguageNotice->setStyleSheet(QStringLiteral(
            "QLabel { background: #FFF8DC; color: #3A2E00; border: 1px solid #C8A040; padding: 8px; }"));
        lblLanguageNotice->installEventFilter(this);
        auto* timer = new QTimer(lblLanguageNotice);
        timer->setObjectName(QStringLiteral("tmLanguageNotice"));
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, lblLanguageNotice, &QWidget::hide);
    }
    // Said in the language just chosen, which is the one loaded now.
    lblLanguageNotice->setText(TranslateText("language_next_start"));
    lblLanguageNotice->setAccessibleName(lblLanguageNotice->text());
    PlaceLanguageNotice();
    lblLanguageNotice->show();
    lblLanguageNotice->raise();
    if (auto* timer = lblLanguageNotice->findChild<QTimer*>(QStringLiteral("tmLanguageNotice")))
        timer->start(LanguageNoticeMs);
}

void TFrmMain::PlaceLanguageNotice()
{
    const int width = 320;
    lblLanguageNotice->setFixedWidth(width);
    lblLanguageNotice->adjustSize();
    // Right-aligned with the language list's right edge, just above the bottom panel.
    const QPoint listRight = cbLanguage->mapTo(this, QPoint(cbLanguage->width(), 0));
    const int x = std::clamp(listRight.x() - width, 4, this->width() - width - 4);
    const int y = pnBtm->mapTo(this, QPoint(0, 0)).y() - lblLanguageNotice->height() - 4;
    lblLanguageNotice->move(x, std::max(0, y));
}

void TFrmMain::TranslateAlarmChoices(QWidget* radioGroup)
{
    const QStringList choices = {::Translate(QStringLiteral("All Close")), ::Translate(QStringLiteral("GPRS")),
                                 ::Translate(QStringLiteral("SMS")), ::Translate(QStringLiteral("All Open"))};
    if (!radioGroup)
        return;
    // The group's four radio buttons are its own children, in the order of their positions.
    const QList<QRadioButton*> buttons = radioGroup->findChildren<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly);
    for (int i = 0; i < buttons.size() && i < choices.size(); ++i)
        buttons[i]->setText(choices[i]);
}

void TFrmMain::ApplyInterfaceTexts()
{
    // An entry: the control of that name gets the translation of that text as its caption.
    const auto caption = [this](const char* control, const char* text) {
        SetControlCaption(this, QString::fromLatin1(control), ::Translate(QString::fromLatin1(text)));
        // The English text stays with the control, so that texts built later from its caption
        // (Compare's field names) can follow a language chosen since.
        if (QWidget* w = findChild<QWidget*>(QString::fromLatin1(control)))
            w->setProperty(CaptionSourceProperty, QString::fromLatin1(text));
    };
    // A text numbered here for a later user (a message box, the open/close button, no one at all).
    const auto numberOnly = [](const char* text) { ::Translate(QString::fromLatin1(text)); };

    // COM and status groups.
    caption("rgbCom", "COM Setting");
    caption("lblComPort", "COM Port");
    caption("lblBaudRate", "Baud Rate");
    caption("btn_Switch", "Open[&O]");
    caption("btnShowMsg", "Debug Info");
    caption("rgbInfo", "Basic information");
    caption("lblID", "ID:");
    caption("lblAnother", "Another Name:");
    caption("lblGSM", "GSM:");
    caption("lblGPS", "GPS:");
    caption("lblVer", "Version:");
    caption("lblBattery", "Battery:");
    // Pages.
    caption("tsMain", "Main Settings");
    caption("tsGeo", "Geo-fence Setting");
    caption("tsAdvOperation", "Advanced Operations");
    // Basic information group.
    caption("gbBasicInfo", "Basic information");
    caption("lblAlias", "Another Name:");
    caption("lblBatteryPercent", "Low Battery:");
    caption("lblTimeDif", "Time difference:");
    caption("lblTimeMin", "Min");
    caption("btnCenterNumberRead", "Read");
    caption("btnCenterNumberSet", "Write");
    // GPRS group.
    caption("gbGPRS", "GPRS network parameters");
    caption("lblGprsIP", "IP address:");
    caption("lblGprsPort", "Port:");
    caption("lblGprsAPN", "APN:");
    caption("lblAPNName", "APN User:");
    caption("lblApnPass", "APN Pass:");
    caption("btnGprsRead", "Read");
    caption("btnGprsSet", "Write");
    // Alarm groups, then their four choices each.
    caption("RdGrp_01", "In GeoFence");
    caption("RdGrp_02", "Out GeoFence");
    caption("RdGrp_03", "Self Hot Spot");
    caption("RdGrp_04", "Low Battery");
    caption("RdGrp_05", "SOS");
    for (const char* group : {"RdGrp_01", "RdGrp_02", "RdGrp_03", "RdGrp_04", "RdGrp_05"})
        TranslateAlarmChoices(findChild<QGroupBox*>(QString::fromLatin1(group)));
    // Data uploading group.
    caption("gbDataUploading", "Data Uploading");
    caption("RBtn_Main_01", "Normal Uploading");
    caption("RCox_KeepAlive", "Keep alive");
    caption("lbl_sec_1", "sec");
    caption("RBtn_Main_02", "Uploading when Moving");
    caption("lblWorkMode", "Mode");
    caption("lblUpItv", "Interval:");
    numberOnly("Times:");
    caption("lblUpSec", "sec");
    caption("btnWorkModeRead", "Read");
    caption("btnWorkModeSet", "Write");
    // Authorization numbers.
    caption("lblVIP_1", "VIP && Center Number 1:");
    caption("lblVIP_2", "VIP Number 2:");
    caption("lblVIP_3", "VIP Number 3:");
    caption("lblVIP_4", "VIP Number 4:");
    caption("lblVIP_5", "VIP Number 5:");
    caption("btnVipCfgRead", "Read");
    caption("btnVipCfgSet", "Write");
    // Temporary hot spot group.
    caption("gbTmpHotSpot", "Temporary Hot Spot");
    caption("btnSelfHotSpotRead", "Read");
    caption("btnSelfHotSpotWrite", "Write");
    caption("lblRadius", "Radius(meter):");
    // Geo-fence table and editor.
    caption("gbGeoFence", "Geo-fence");
    caption("btn_GeoRead", "Read All Geo-fence");
    caption("btn_GeoEdit", "Edit");
    caption("btn_GeoDisable", "Disable");
    caption("btn_GeoSetAll", "Write Selected Geo-fence");
    caption("lblFenceName", "Geo-fence Name:");
    caption("lblLTLng", "Left Top Longitude:");
    caption("lblLTLat", "Left Top Latitude:");
    caption("lblRBLng", "Right Bottom Longitude:");
    caption("lblRBLat", "Right Bottom Latitude:");
    caption("btnGeoSave", "Save");
    caption("btn_Close", "Close");
    // Map.
    caption("rgMap", "Google Map");
    caption("lblMapLat", "Latitude");
    caption("lblMapLng", "Longitude");
    caption("lblMapZoom", "Zoom");
    caption("btnLoadMap", "Load Google Map");
    caption("btn_GeoShowAllFence", "Show All Geo-fence");
    caption("btn_GeoClearAll", "Clear All Geo-fence");
    // Console.
    caption("lbl_AdvOper_ASCIICmd", "ASCII Commands:");
    caption("btn_AdvOper_Send", "Send");
    caption("btn_AdvOper_Clear", "Clear");
    caption("btn_AdvOper_CmdSave", "Save");
    // Bottom panel.
    caption("btnReadAll", "Read All [&A]");
    caption("btnWriteAll", "Write All [&W]");
    caption("btnDefault", "Factory Default [&D]");
    caption("cbTipOnOK", "show tip message");
    caption("lblLanguage", "Language:");
    caption("btnSave", "Save[&S]");
    caption("btnLoad", "Load[&L]");
    // Numbered only.
    for (const char* text : {"Please open the com port!", "Google Map not loading !", "Message", "time items", "hour",
                             "minute", "Add(&A)", "Del(&D)", "OK(&O)", "Cancel(&C)"})
        numberOnly(text);
    caption("cbTipOnOK", "show tip message");
    // Window caption: no space before "[". The product title is also the application's name in
    // its boxes (the map's script errors take it as their caption).
    const QString title = ::Translate(QStringLiteral("Tovrik Assistant"));
    QGuiApplication::setApplicationDisplayName(title);
    setWindowTitle(title + QLatin1Char('[') + GetVersionText() + QLatin1Char(']'));
    // Numbered only.
    for (const char* text : {"Please Input The Low Battery Value More than 10!", "Center number is error.",
                             "Operation success !", "Message", "Uploading all the time"})
        numberOnly(text);
    // Debug window.
    ApplyDebugWindowTexts();
    // Alarm page and authorization group.
    caption("lblGSensorParam", "G-sensor parameter:");
    caption("tsAlarm", "Alarm Setting");
    caption("gbVIPAlarm", "Authorization Number");
    numberOnly("Close[&O]");
    caption("btnAlarmRead", "Read");
    caption("btnAlarmSet", "Write");
    // Batch configuration: texts of their own, outside the numbered catalogue.
    ApplyFleetTexts();
}

void TFrmMain::ApplyDebugWindowTexts()
{
    // The debug window is created here, hidden, on its first use; it keeps these texts for the run.
    TfrmDebugMemo* memo = GetDebugMemo();
    memo->setWindowTitle(::Translate(QStringLiteral("Debug Memo")));
    SetControlCaption(memo, QStringLiteral("btn_Clear"), ::Translate(QStringLiteral("Clear")));
}
