// Languages with the whole window: the English catalogue written at every start, the language
// list and choice, translations applied to the captions at the next start and to later texts at once.
#include "app/ControlCaption.h"
#include "app/FrmMain.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "core/IniText.h"
#include "core/Version.h"
#include "diag/DebugMemo.h"
#include "diag/LogView.h"
#include "i18n/Language.h"
#include "i18n/ProgramTexts.h"
#include "sim/SimTracker.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

// The 105 texts of the catalogue, in number order.
const QStringList Catalogue = {
    "ID", "Name", "Lat-Left Top", "Long-Left Top", "Lat-Right Bottom", "Long-Right Bottom", "COM Setting", "COM Port",
    "Baud Rate", "Open[&O]",
    "Debug Info", "Basic information", "ID:", "Another Name:", "GSM:", "GPS:", "Version:", "Battery:", "Main Settings",
    "Geo-fence Setting",
    "Advanced Operations", "Low Battery:", "Time difference:", "Min", "Read", "Write", "GPRS network parameters",
    "IP address:", "Port:", "APN:",
    "APN User:", "APN Pass:", "In GeoFence", "Out GeoFence", "Self Hot Spot", "Low Battery", "SOS", "All Close", "GPRS",
    "SMS",
    "All Open", "Data Uploading", "Normal Uploading", "Keep alive", "sec", "Uploading when Moving", "Mode", "Interval:",
    "Times:", "VIP && Center Number 1:",
    "VIP Number 2:", "VIP Number 3:", "VIP Number 4:", "VIP Number 5:", "Temporary Hot Spot", "Radius(meter):",
    "Geo-fence", "Read All Geo-fence", "Edit", "Disable",
    "Write Selected Geo-fence", "Geo-fence Name:", "Left Top Longitude:", "Left Top Latitude:",
    "Right Bottom Longitude:", "Right Bottom Latitude:", "Save", "Close", "Google Map", "Latitude",
    "Longitude", "Zoom", "Load Google Map", "Show All Geo-fence", "Clear All Geo-fence", "ASCII Commands:", "Send",
    "Clear", "Read All [&A]", "Write All [&W]",
    "Factory Default [&D]", "show tip message", "Language:", "Save[&S]", "Load[&L]", "Please open the com port!",
    "Google Map not loading !", "Message", "time items", "hour",
    "minute", "Add(&A)", "Del(&D)", "OK(&O)", "Cancel(&C)", "Tovrik Assistant",
    "Please Input The Low Battery Value More than 10!", "Center number is error.", "Operation success !",
    "Uploading all the time",
    "Debug Memo", "G-sensor parameter:", "Alarm Setting", "Authorization Number", "Close[&O]",
};

// Every control that shows a catalogue text after start-up, with that text's number.
const QList<QPair<const char*, int>> Captions = {
    {"rgbCom", 6}, {"lblComPort", 7}, {"lblBaudRate", 8}, {"btn_Switch", 9}, {"btnShowMsg", 10}, {"rgbInfo", 11},
    {"lblID", 12}, {"lblAnother", 13}, {"lblGSM", 14}, {"lblGPS", 15}, {"lblVer", 16}, {"lblBattery", 17},
    {"tsMain", 18}, {"tsGeo", 19}, {"tsAdvOperation", 20}, {"gbBasicInfo", 11}, {"lblAlias", 13},
    {"lblBatteryPercent", 21}, {"lblTimeDif", 22}, {"lblTimeMin", 23}, {"btnCenterNumberRead", 24},
    {"btnCenterNumberSet", 25}, {"gbGPRS", 26}, {"lblGprsIP", 27}, {"lblGprsPort", 28}, {"lblGprsAPN", 29},
    {"lblAPNName", 30}, {"lblApnPass", 31}, {"btnGprsRead", 24}, {"btnGprsSet", 25}, {"RdGrp_01", 32},
    {"RdGrp_02", 33}, {"RdGrp_03", 34}, {"RdGrp_04", 35}, {"RdGrp_05", 36}, {"gbDataUploading", 41},
    {"RBtn_Main_01", 42}, {"RCox_KeepAlive", 43}, {"lbl_sec_1", 44}, {"RBtn_Main_02", 45}, {"lblWorkMode", 46},
    {"lblUpItv", 47}, {"lblUpSec", 44}, {"btnWorkModeRead", 24}, {"btnWorkModeSet", 25}, {"lblVIP_1", 49},
    {"lblVIP_2", 50}, {"lblVIP_3", 51}, {"lblVIP_4", 52}, {"lblVIP_5", 53}, {"btnVipCfgRead", 24},
    {"btnVipCfgSet", 25}, {"gbTmpHotSpot", 54}, {"btnSelfHotSpotRead", 24}, {"btnSelfHotSpotWrite", 25},
    {"lblRadius", 55}, {"gbGeoFence", 56}, {"btn_GeoRead", 57}, {"btn_GeoEdit", 58}, {"btn_GeoDisable", 59},
    {"btn_GeoSetAll", 60}, {"lblFenceName", 61}, {"lblLTLng", 62}, {"lblLTLat", 63}, {"lblRBLng", 64},
    {"lblRBLat", 65}, {"btnGeoSave", 66}, {"btn_Close", 67}, {"rgMap", 68}, {"lblMapLat", 69}, {"lblMapLng", 70},
    {"lblMapZoom", 71}, {"btnLoadMap", 72}, {"btn_GeoShowAllFence", 73}, {"btn_GeoClearAll", 74},
    {"lbl_AdvOper_ASCIICmd", 75}, {"btn_AdvOper_Send", 76}, {"btn_AdvOper_Clear", 77}, {"btn_AdvOper_CmdSave", 66},
    {"btnReadAll", 78}, {"btnWriteAll", 79}, {"btnDefault", 80}, {"cbTipOnOK", 81}, {"lblLanguage", 82},
    {"btnSave", 83}, {"btnLoad", 84}, {"lblGSensorParam", 101}, {"tsAlarm", 102}, {"gbVIPAlarm", 103},
    {"btnAlarmRead", 24}, {"btnAlarmSet", 25},
};

const char* const ReadButtons[] = {"btnCenterNumberRead", "btnGprsRead",        "btnWorkModeRead",
                                   "btnVipCfgRead",       "btnSelfHotSpotRead", "btnAlarmRead"};

// The caption a control carries; false when there is no such control.
bool CaptionOf(QWidget* root, const QString& name, QString& caption)
{
    QWidget* w = root->findChild<QWidget*>(name);
    if (!w)
        return false;
    auto* tabs = root->findChild<QTabWidget*>(QStringLiteral("pgCtrl"));
    if (tabs && tabs->indexOf(w) >= 0)
        caption = tabs->tabText(tabs->indexOf(w));
    else if (auto* b = qobject_cast<QAbstractButton*>(w))
        caption = b->text();
    else if (auto* g = qobject_cast<QGroupBox*>(w))
        caption = g->title();
    else if (auto* l = qobject_cast<QLabel*>(w))
        caption = l->text();
    else
        caption = w->windowTitle();
    return true;
}

// What a control shows of a catalogue text: labels without a buddy show the text with its
// shortcut marks resolved; everything else takes the marks itself.
QString ExpectedCaption(QWidget* root, const QString& name, const QString& text)
{
    auto* l = root->findChild<QLabel*>(name);
    return l && !l->buddy() ? LabelDisplayText(text) : text;
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every Alt shortcut that more than one caption of the window claims, with its owners: the
// buttons, check boxes, labels that lead to a field, checkable groups and page tabs that are part
// of the window as shown (on any page).
QString SharedShortcuts(QWidget& window)
{
    QMap<QKeySequence, QStringList> owners;
    const auto note = [&](const QString& caption, const QString& owner) {
        const QKeySequence key = QKeySequence::mnemonic(caption);
        if (!key.isEmpty())
            owners[key] << owner + " \"" + caption + "\"";
    };
    const auto shown = [&](const QWidget* w) { return w->isVisibleTo(&window); };
    for (QAbstractButton* b : window.findChildren<QAbstractButton*>())
        if (shown(b))
            note(b->text(), b->objectName());
    for (QLabel* l : window.findChildren<QLabel*>())
        if (shown(l) && l->buddy())
            note(l->text(), l->objectName());
    for (QGroupBox* g : window.findChildren<QGroupBox*>())
        if (shown(g) && g->isCheckable())
            note(g->title(), g->objectName());
    for (QTabWidget* t : window.findChildren<QTabWidget*>())
        for (int i = 0; i < t->count(); ++i)
            if (t->isTabVisible(i))
                note(t->tabText(i), t->objectName() + "[" + QString::number(i) + "]");
    QStringList shared;
    for (auto it = owners.cbegin(); it != owners.cend(); ++it)
        if (it.value().size() > 1)
            shared << it.key().toString() + ": " + it.value().join(", ");
    // A window without shortcuts would pass for the wrong reason.
    if (owners.size() < 6)
        shared << QStringLiteral("only %1 shortcuts found").arg(owners.size());
    return shared.join("; ");
}

QStringList LogLines(TFrmMain& window)
{
    auto* view = window.findChild<TLogView*>(QStringLiteral("mm_Recv"));
    return view ? view->Lines() : QStringList();
}

} // namespace

class TestLanguageWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> FDir;
    QList<TMessageRequest> FMessages;

    // A new run of the program: the language module starts afresh, then the window.
    std::unique_ptr<TFrmMain> Start()
    {
        ResetLanguageModule();
        return std::make_unique<TFrmMain>();
    }
    QString LocalePath(const QString& file) const { return FDir->path() + QStringLiteral("/locale/") + file; }
    void SetConfiguredLanguage(const QString& name)
    {
        TIniText ini;
        QVERIFY(ini.LoadFile(SettingsFilePath()));
        ini.WriteString("config", "language", name);
        ini.SaveFile(SettingsFilePath());
    }
    QString ConfiguredLanguage() const
    {
        TIniText ini;
        ini.LoadFile(SettingsFilePath());
        return ini.ReadString("config", "language", QString());
    }
    // The user picks an entry of the language list.
    static void Choose(TFrmMain& window, const QString& name)
    {
        const int index = window.cbLanguage->findText(name);
        QVERIFY2(index >= 0, qPrintable(name));
        window.cbLanguage->setCurrentIndex(index);
        emit window.cbLanguage->activated(index);
    }

private slots:
    void init()
    {
        FDir = std::make_unique<QTemporaryDir>();
        QVERIFY(FDir->isValid());
        SetAppDataFolder(FDir->path());
        FMessages.clear();
        Dialogs::SetMessageHandler([this](const TMessageRequest& r) { FMessages << r; });
    }
    void cleanup()
    {
        Dialogs::SetMessageHandler({});
        FDir.reset();
    }

    void firstRunWritesTheEnglishCatalogue()
    {
        QVERIFY(!QFileInfo::exists(FDir->path() + "/locale"));
        {
            auto window = Start();
            QCOMPARE(SourceTextCount(), 105); // nothing but the catalogue is numbered at start-up
            QCOMPARE(window->cbLanguage->count(), 1);
            QCOMPARE(window->cbLanguage->itemText(0), QString("english"));
            QCOMPARE(window->cbLanguage->currentIndex(), 0);
        }
        QVERIFY(FMessages.isEmpty());
        TIniText file;
        QVERIFY(file.LoadFile(LocalePath("english.lng")));
        // The catalogue's numbers, then the program's own texts by name, in English.
        QCOMPARE(file.SectionNames(), (QStringList{"language", "texts"}));
        const auto texts = file.SectionEntries("texts");
        QCOMPARE(texts.size(), qsizetype(ProgramTexts().size()));
        for (qsizetype i = 0; i < texts.size(); ++i) {
            QCOMPARE(texts[i].first, QString::fromLatin1(ProgramTexts()[i].Key));
            QCOMPARE(texts[i].second, QString::fromUtf8(ProgramTexts()[i].English));
        }
        const auto entries = file.SectionEntries("language");
        QCOMPARE(entries.size(), 105);
        for (int i = 0; i < entries.size(); ++i) {
            QCOMPARE(entries[i].first, QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0')));
            QCOMPARE(entries[i].second, Catalogue[i]);
        }
        QCOMPARE(file.ReadString("language", "095", ""), QString("Tovrik Assistant"));
        QCOMPARE(file.ReadString("language", "104", ""), QString("Close[&O]"));
        QVERIFY(!file.ValueExists("language", "105"));

        // Every later start writes the same catalogue.
        const QByteArray first = ReadFile(LocalePath("english.lng"));
        Start();
        QCOMPARE(ReadFile(LocalePath("english.lng")), first);
    }

    void captionsShowTheCatalogueTexts()
    {
        auto window = Start();
        QStringList missing;
        for (const auto& [name, number] : Captions) {
            QString caption;
            if (!CaptionOf(window.get(), name, caption)) {
                missing << name;
                continue;
            }
            QCOMPARE(caption, ExpectedCaption(window.get(), name, Catalogue[number]));
        }
        QVERIFY2(missing.isEmpty(), qPrintable("controls not in the window: " + missing.join(", ")));

        // Design captions replaced even in English; "&&" shows one "&".
        QString shown;
        QVERIFY(CaptionOf(window.get(), "lblComPort", shown));
        QCOMPARE(shown, QString("COM Port"));
        auto* vip = window->findChild<QLabel*>("lblVIP_1");
        QVERIFY(vip);
        QCOMPARE(vip->buddy() ? LabelDisplayText(vip->text()) : vip->text(), QString("VIP & Center Number 1:"));
        // The alarm groups' four choices.
        for (const char* group : {"RdGrp_01", "RdGrp_02", "RdGrp_03", "RdGrp_04", "RdGrp_05"}) {
            auto* box = window->findChild<QGroupBox*>(group);
            QVERIFY2(box, group);
            const auto buttons = box->findChildren<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly);
            QCOMPARE(buttons.size(), 4);
            QStringList texts;
            for (auto* b : buttons)
                texts << b->text();
            QCOMPARE(texts, (QStringList{"All Close", "GPRS", "SMS", "All Open"}));
        }
        // Window caption with the version text, no space before "[".
        QCOMPARE(window->windowTitle(), "Tovrik Assistant[" + GetVersionText() + "]");
        // The product title is the application's name in every box that takes it as caption.
        QCOMPARE(QGuiApplication::applicationDisplayName(), QString("Tovrik Assistant"));
        // The debug window exists from start-up on, hidden, with its texts.
        TfrmDebugMemo* memo = GetDebugMemo();
        QCOMPARE(memo->windowTitle(), QString("Debug Memo"));
        QCOMPARE(memo->btn_Clear->text(), QString("Clear"));
        QVERIFY(!memo->isVisible());
    }

    void translationShownAfterRestart()
    {
        // The translation moves the shortcut to another letter.
        WriteFile(LocalePath("spanish.lng"), "[language]\r\n009=Abrir[&B]\r\n");
        {
            auto window = Start();
            // The list is made before the English catalogue is first written; English, the
            // program's own language, is listed all the same and is the configured choice.
            QCOMPARE(window->cbLanguage->count(), 2);
            QCOMPARE(window->cbLanguage->currentText(), QString("english"));
            Choose(*window, "spanish");
            QCOMPARE(ConfiguredLanguage(), QString("spanish"));
            QCOMPARE(window->btn_Switch->text(), QString("Open[&O]")); // captions wait for the next start
        }
        auto window = Start();
        QCOMPARE(window->cbLanguage->currentText(), QString("spanish"));
        QCOMPARE(window->btn_Switch->text(), QString("Abrir[&B]"));
        QCOMPARE(window->btn_Switch->shortcut(), QKeySequence(Qt::ALT | Qt::Key_B));
        // The catalogue stays English whatever the language.
        TIniText english;
        QVERIFY(english.LoadFile(LocalePath("english.lng")));
        QCOMPARE(english.ReadString("language", "009", ""), QString("Open[&O]"));
        QVERIFY(FMessages.isEmpty());
    }

    void configuredLanguageWithoutRegardToCase()
    {
        WriteFile(LocalePath("spanish.lng"), "[language]\r\n009=Abrir[&A]\r\n");
        Start();
        SetConfiguredLanguage("SPANISH");
        auto window = Start();
        QCOMPARE(window->cbLanguage->currentText(), QString("spanish"));
        QCOMPARE(window->btn_Switch->text(), QString("Abrir[&A]"));
        QCOMPARE(ConfiguredLanguage(), QString("SPANISH")); // the key keeps its value
    }

    void configuredLanguageWithoutFile()
    {
        Start();
        SetConfiguredLanguage("klingon");
        auto window = Start();
        QCOMPARE(window->cbLanguage->currentIndex(), -1); // nothing selected
        QCOMPARE(window->cbLanguage->count(), 1);
        QCOMPARE(window->btn_Switch->text(), QString("Open[&O]"));
        QCOMPARE(ConfiguredLanguage(), QString("klingon"));
    }

    void firstOfTwoKeysForOneNumberWins_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("caption");
        QTest::newRow("009 then 9") << QByteArray("[language]\r\n009=Erste[&E]\r\n9=Zweite[&Z]\r\n") << "Erste[&E]";
        QTest::newRow("9 then 009") << QByteArray("[language]\r\n9=Zweite[&Z]\r\n009=Erste[&E]\r\n") << "Zweite[&Z]";
        QTest::newRow("empty value falls back") << QByteArray("[language]\r\n009=\r\n9=Zweite[&Z]\r\n") << "Open[&O]";
    }

    void firstOfTwoKeysForOneNumberWins()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, caption);
        WriteFile(LocalePath("deutsch.lng"), file);
        Start();
        SetConfiguredLanguage("deutsch");
        auto window = Start();
        QCOMPARE(window->btn_Switch->text(), caption);
    }

    void oneEntryChangesEveryUseOfItsText()
    {
        // 024 alone: all six Read buttons; and the empty 009 leaves the open button English.
        WriteFile(LocalePath("deutsch.lng"), "[language]\r\n009=\r\n024=Lesen\r\n");
        Start();
        SetConfiguredLanguage("deutsch");
        auto window = Start();
        QCOMPARE(window->btn_Switch->text(), QString("Open[&O]"));
        for (const char* name : ReadButtons) {
            auto* button = window->findChild<QAbstractButton*>(name);
            QVERIFY2(button, name);
            QCOMPARE(button->text(), QString("Lesen"));
        }
        QCOMPARE(window->findChild<QAbstractButton*>("btnCenterNumberSet")->text(), QString("Write"));
    }

    void changedSelectionChangesLaterTextsOnly()
    {
        WriteFile(LocalePath("spanish.lng"),
                  "[language]\r\n076=Enviar\r\n077=Borrar\r\n087=Mensaje\r\n"
                  "096=Introduzca un nivel de bater\xc3\xad" "a baja mayor que 10!\r\n");
        auto window = Start();
        Choose(*window, "spanish");
        QCOMPARE(CurrentLanguage(), QString("spanish"));
        // Captions keep their texts for this run.
        QCOMPARE(window->findChild<QAbstractButton*>("btn_AdvOper_Send")->text(), QString("Send"));
        QCOMPARE(window->findChild<QAbstractButton*>("btn_AdvOper_Clear")->text(), QString("Clear"));

        // The next log line: a command sent (the port is closed, so the exchange ends at once).
        window->Queue().ClearCmdQueue();
        window->Queue().QueueCmd(5, 0, false, QByteArray());
        window->Queue().StartCmdQueue(true);
        const QStringList lines = LogLines(*window);
        QVERIFY2(!lines.isEmpty() && lines.last().endsWith(" >> Enviar : (P05,0)"),
                 qPrintable(QString::number(lines.size()) + ": " + lines.join('|')));

        // The next message box: the low-battery check refuses before anything goes out, so the
        // button is enabled by hand instead of opening a port.
        auto* battery = window->findChild<QComboBox*>("cboBatteryAlert");
        auto* write = window->findChild<QAbstractButton*>("btnCenterNumberSet");
        QVERIFY(battery && write);
        battery->setEditText("5");
        write->setEnabled(true);
        QTest::mouseClick(write, Qt::LeftButton);
        QCOMPARE(FMessages.size(), 1);
        QCOMPARE(FMessages[0].Text, QString::fromUtf8("Introduzca un nivel de batería baja mayor que 10!"));
    }

    // Choosing another language changes no caption in this run; a notice above the list says so
    // once, in the language chosen, without a box. Choosing the captions' own language again
    // takes it away.
    void choosingAnotherLanguageSaysWhenTheCaptionsChange()
    {
        const QString shipped = QFINDTESTDATA("../../locale/spanish.lng");
        QVERIFY(!shipped.isEmpty());
        WriteFile(LocalePath("spanish.lng"), ReadFile(shipped));
        auto window = Start();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QVERIFY(!window->lblLanguageNotice || !window->lblLanguageNotice->isVisible());

        Choose(*window, "spanish");
        QLabel* notice = window->lblLanguageNotice;
        QVERIFY(notice);
        QVERIFY(notice->isVisible());
        QCOMPARE(notice->text(), QString::fromUtf8("Los textos de la ventana cambian a este idioma en el próximo inicio; "
                                                   "los mensajes y las líneas del registro lo usan desde ahora."));
        QVERIFY(FMessages.isEmpty());
        // Whole, inside the window, just above the bottom bar, and over the language list's column.
        const QRect shown(notice->mapTo(window.get(), QPoint(0, 0)), notice->size());
        QVERIFY(window->rect().contains(shown));
        QVERIFY(shown.bottom() < window->pnBtm->mapTo(window.get(), QPoint(0, 0)).y());
        QVERIFY(notice->heightForWidth(notice->width()) <= notice->height());
        const int listRight = window->cbLanguage->mapTo(window.get(), QPoint(window->cbLanguage->width(), 0)).x();
        QVERIFY(shown.left() <= listRight && shown.right() >= listRight - window->cbLanguage->width());

        // Chosen again: still one notice; back to the captions' language: gone.
        Choose(*window, "spanish");
        QCOMPARE(window->findChildren<QLabel*>("lblLanguageNotice").size(), 1);
        Choose(*window, "english");
        QVERIFY(!notice->isVisible());
        // A click takes it away too, and so does its time.
        Choose(*window, "spanish");
        QVERIFY(notice->isVisible());
        QTest::mouseClick(notice, Qt::LeftButton);
        QVERIFY(!notice->isVisible());
        Choose(*window, "spanish");
        auto* timer = notice->findChild<QTimer*>("tmLanguageNotice");
        QVERIFY(timer && timer->isActive());
        QCOMPARE(timer->interval(), TFrmMain::LanguageNoticeMs);
        // The captions themselves wait for the next start.
        QCOMPARE(window->findChild<QAbstractButton*>("btn_AdvOper_Send")->text(), QString("Send"));
        QCOMPARE(window->pgCtrl->tabText(0), QString("Main Settings"));
        QVERIFY(FMessages.isEmpty());
    }

    void choosingTheSameLanguageStillWritesTheSettings()
    {
        auto window = Start();
        SetConfiguredLanguage("something else");
        Choose(*window, "english");
        QCOMPARE(ConfiguredLanguage(), QString("english"));
        QVERIFY(FMessages.isEmpty());
    }

    void unwritableSettingsFileIsReported()
    {
        auto window = Start();
        // A folder in place of the settings file: it can neither be read nor replaced.
        QVERIFY(QFile::remove(SettingsFilePath()));
        QVERIFY(QDir().mkpath(SettingsFilePath() + "/x"));
        Choose(*window, "english");
        QCOMPARE(FMessages.size(), 1);
        QVERIFY(FMessages[0].Text.contains(SettingsFilePath()));
        QVERIFY(QFileInfo(SettingsFilePath() + "/x").isDir());
    }

    void shippedTranslationsFitTheCatalogue_data()
    {
        QTest::addColumn<QString>("path");
        const QString folder = QFINDTESTDATA("../../locale");
        QVERIFY(!folder.isEmpty());
        const QStringList files = QDir(folder).entryList({"*.lng"}, QDir::Files, QDir::Name);
        QVERIFY(!files.isEmpty());
        for (const QString& f : files)
            QTest::newRow(qPrintable(f)) << QDir(folder).filePath(f);
    }

    void shippedTranslationsFitTheCatalogue()
    {
        QFETCH(QString, path);
        TIniText file;
        QVERIFY(file.LoadFile(path));
        const auto entries = file.SectionEntries("language");
        QCOMPARE(entries.size(), Catalogue.size());
        const QRegularExpression shortcut(QStringLiteral("(?<!&)&(?!&)"));
        for (int i = 0; i < entries.size(); ++i) {
            const QString& text = entries[i].second;
            QCOMPARE(entries[i].first, QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0')));
            QVERIFY2(!text.isEmpty(), qPrintable(entries[i].first));
            // A shortcut where the English text has one, and "&&" kept as a shown "&".
            QCOMPARE(text.count(shortcut), Catalogue[i].count(shortcut));
            QCOMPARE(text.count("&&"), Catalogue[i].count("&&"));
        }

        // The program shows the file's 8-bit (UTF-8) texts.
        WriteFile(LocalePath(QFileInfo(path).fileName()), ReadFile(path));
        Start();
        SetConfiguredLanguage(QFileInfo(path).completeBaseName());
        auto window = Start();
        QCOMPARE(window->btn_Switch->text(), entries[9].second);
        QCOMPARE(window->windowTitle(), entries[95].second + "[" + GetVersionText() + "]");
        QCOMPARE(window->pgCtrl->tabText(0), entries[18].second);
        QVERIFY(FMessages.isEmpty());
    }

    // No two captions of the main window share an Alt shortcut in any shipped language: the
    // buttons, check boxes, labels that lead to a field, checkable groups and page tabs, as the
    // language puts them on the real window.
    void shippedLanguagesGiveEveryCaptionItsOwnShortcut_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("english") << QString();
        const QString folder = QFINDTESTDATA("../../locale");
        QVERIFY(!folder.isEmpty());
        for (const QString& f : QDir(folder).entryList({"*.lng"}, QDir::Files, QDir::Name))
            QTest::newRow(qPrintable(f)) << QDir(folder).filePath(f);
    }
    void shippedLanguagesGiveEveryCaptionItsOwnShortcut()
    {
        QFETCH(QString, path);
        const QString language = path.isEmpty() ? QStringLiteral("english") : QFileInfo(path).completeBaseName();
        if (!path.isEmpty())
            WriteFile(LocalePath(QFileInfo(path).fileName()), ReadFile(path));

        // Started in the language; then started in English and switched to it on the list, when
        // the captions stay English until the next start but the open/close switch follows the
        // new language at once (opened and closed on the simulated tracker).
        for (const bool switched : {false, true}) {
            Start();
            SetConfiguredLanguage(switched ? QStringLiteral("english") : language);
            auto window = Start();
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window.get()));
            if (switched) {
                if (path.isEmpty())
                    continue;
                Choose(*window, language);
                TSimTracker sim;
                QVERIFY(sim.Start());
                window->AddPort(sim.DevicePath());
                window->btn_Switch->click();
                QVERIFY(window->ComPort.Connected());
                QCOMPARE(window->btn_Switch->text(), Translate("Close[&O]"));
                const QString shared = SharedShortcuts(*window);
                QVERIFY2(shared.isEmpty(), qPrintable("switched, open: " + shared));
                window->btn_Switch->click();
                QCOMPARE(window->btn_Switch->text(), Translate("Open[&O]"));
            } else {
                QCOMPARE(CurrentLanguage(), language);
            }
            const QString shared = SharedShortcuts(*window);
            QVERIFY2(shared.isEmpty(), qPrintable((switched ? "switched: " : "started: ") + shared));
        }
        QVERIFY(FMessages.isEmpty());
    }

    // The box of a port that did not open keeps its fixed first line and says the device
    // and the reason in the language loaded.
    void portOpenReasonInTheShippedLanguages()
    {
        const QString folder = QFINDTESTDATA("../../locale");
        QVERIFY(!folder.isEmpty());
        const struct {
            const char* Language;
            const char* Reason;
        } cases[] = {{"spanish", "COM99: No existe el archivo o el directorio"}, {"chinese", "COM99：没有那个文件或目录"}};
        for (const auto& c : cases) {
            const QString file = QString::fromLatin1(c.Language) + ".lng";
            WriteFile(LocalePath(file), ReadFile(QDir(folder).filePath(file)));
            Start();
            SetConfiguredLanguage(QString::fromLatin1(c.Language));
            auto window = Start();
            FMessages.clear();
            window->cboCOMIndex->setEditText("99");
            window->btn_Switch->click();
            QCOMPARE(FMessages.size(), 1);
            QCOMPARE(FMessages[0].Text.split('\n'),
                     (QStringList{"Unable to open com port (Error: 2)", QString::fromUtf8(c.Reason)}));
        }
        FMessages.clear();
    }

    void sourceTextsDifferingInCaseAreNumberedApart()
    {
        auto window = Start();
        QCOMPARE(Translate("Read"), QString("Read"));
        QCOMPARE(SourceTextCount(), 105); // "Read" is 024
        QCOMPARE(Translate("read"), QString("read"));
        QCOMPARE(SourceTextCount(), 106);
        QCOMPARE(SourceText(105), QString("read"));
        QCOMPARE(SourceText(24), QString("Read"));
    }
};

QTEST_MAIN(TestLanguageWindow)
#include "test_language.moc"
