#pragma once

#include "geo/GeoFenceList.h"
#include "link/CmdQueue.h"
#include "link/ComPort.h"
#include "link/FrameCodec.h"
#include "link/PortList.h"
#include "params/TrackerSettings.h"

#include <QWidget>
#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class TComLed;
class TSegmentProgressBar;

// The program's one main window. It owns the port, the command queue and the pages, and wires
// them together; each page keeps its own controls and handlers.
class TFrmMain : public QWidget, private ICmdQueueHost, private IByteChannel {
    Q_OBJECT
public:
    explicit TFrmMain(QWidget* parent = nullptr);
    ~TFrmMain() override;

    // The 18 buttons switched together around every exchange, in their fixed order.
    static const QStringList& CommandButtonNames();
    void SetCommandButtonsEnabled(bool enabled) override;

    TCmdQueue& Queue() { return *FQueue; }

    // Appends one line to both views of the communication log.
    void AppendLogLine(const QString& line);

    // Mouse press on "ID:": the one combination (Ctrl+Shift with the left button) shows the
    // advanced controls, every other press hides them.
    void lblIDMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Start-up, in its fixed order; an error skips the steps after it.
    void FormCreate();
    void ReadProgramSettings();
    void InstallKeyFilters();
    void FormClose();
    void FormDestroy();

    void BuildLayout();
    QWidget* BuildTopPanel();
    QWidget* BuildBottomPanel();
    void FitBottomButtons();

    // Each concern of the window lives in a file of its own; these are the meeting points.
    // --- serial line (app/FrmMainPort.cpp)
    void FillPortList();
    void ClosePortAtShutdown();
    void ConnectSerialLine();
    void RefillPortItems();
    // Lists USB serial adapters plugged in or pulled out since, keeping the numbers given; the
    // list is left alone while the port is open.
    void RefreshPortList();
    void WatchSerialDevices();
    void ShowPortDevice();
    void SetPortFieldsEnabled(bool enabled);
    void ComPortAfterOpen();
    void ComPortAfterClose();
    void ComPortRxChar(int32_t count);
    // The device hung up or failed while open: the port has closed itself.
    void ComPortLineLost(const QString& message);
    TPortList FPortList;
    class QFileSystemWatcher* FDeviceWatcher = nullptr;
    class QTimer* FPortRefreshTimer = nullptr;
public:
    TComPort ComPort;
    void btn_SwitchClick();
    // The open branch of the switch: the selected port number's device at the typed rate.
    // Raises EAppError (EComPort) when the device cannot be opened.
    void OpenSelectedPort();
    // The key filter of the port field (also given to the battery-alert field): backspace and
    // the digits pass.
    static bool cboCOMIndexKeyPress(QChar key);
    static TBaudRate BaudTextToRate(int32_t value);
    // Lists a device under the first free port number (the simulated tracker) and selects it.
    int32_t AddPort(const QString& device);
    // The device a typed port number stands for; empty when none.
    QString PortDevice(const QString& numberText) const;
private:
    // --- settings pages, status panel, answer dispatch (app/FrmMainSettings.cpp)
    void BuildSettingsPages();
    void ResetStatusPanel();
    void PrepareSettingsPages();
public:
    // Stops the battery-charging animation and shows 0 (the port switch calls it).
    void StopBatteryAnimation();
    class TStatusPanel* StatusPanel = nullptr;          // fills rgbInfo
    class TMainSettingsPage* MainSettings = nullptr;    // on tsMain
    class TAlarmPage* AlarmSetting = nullptr;           // on tsAlarm
    // Created with tsGeo as parent; the geo-fence page places it at its top.
    class TTmpHotSpotGroup* gbTmpHotSpot = nullptr;
    class TBulkOperations* BulkOperations = nullptr;
    // Command 8 answers reach the geo-fence table through its SetGeoFenceAnswerHandler.
    std::shared_ptr<class TResponseDispatcher> Dispatcher;
    // The settings the pages show: answers go into it and the pages show them; a Write takes
    // the pages' texts into it.
    TTrackerSettings Settings;
private:
    // --- geo-fence page (app/FrmMainGeo.cpp)
    void BuildGeoPage();
    void InitGeoFenceStore();
    void InitGeoFenceList();
public:
    // The 64 fences in fence-number order; the geo-fence page shows and edits them.
    TGeoFenceList GeoFences;
    class TGeoFencePage* GeoPage = nullptr;  // the content of tsGeo
    class TMapGroup* rgMap = nullptr;        // the "Google Map" group, right half of tsGeo
    // A command-8 answer into the table; raises EAppError when it cannot be applied.
    void ApplyFenceAnswer(const TResponseFields& fields);
private:
    // --- fence files (app/FrmMainFences.cpp)
    void BuildFenceFileButtons();
    void ApplyFenceFileButtonTexts();
public:
    // Export writes the fences to a GeoJSON or CSV file; Import replaces all 64 by a file's.
    void btn_GeoExportClick();
    void btn_GeoImportClick();
    // Replaces the 64 fences by a fence file's and repaints the list. A file that cannot be read
    // or holds wrong lines raises EAppError naming each, and changes nothing.
    void ImportFenceFile(const QString& path);
    QPushButton* btn_GeoExport = nullptr;
    QPushButton* btn_GeoImport = nullptr;
private:
    // --- map (app/FrmMainMap.cpp)
    void CreateBrowserHost();
    // The map choice from the settings file's section "config" (mapprovider, googlekey, tileurl,
    // tileattribution); read only, so the file gains none of these keys at start-up.
    void ReadMapSettings(const class TIniText& ini);
    // --- languages (app/FrmMainLanguage.cpp)
    void FillLanguageList();
    void LoadConfiguredLanguage();
    void ApplyInterfaceTexts();
    void SaveEnglishCatalogue();
    void SelectConfiguredLanguage();
    // The user picked a language: load it and remember it in the settings file. Captions keep
    // their texts until the next start; texts built from now on are in the new language.
    void cbLanguageChange();
    // After a choice of another language than the captions show: one notice above the language
    // list, in the new language, that the captions change at the next start. A later choice
    // replaces it; choosing the captions' own language again takes it away.
    void ShowLanguageNotice(const QString& chosen);
    void PlaceLanguageNotice();
    // The language whose texts the captions got at start-up.
    QString FCaptionLanguage;
public:
    QLabel* lblLanguageNotice = nullptr;
    static constexpr int LanguageNoticeMs = 15000;
private:
    // Replaces an alarm group's four choices by the translations of "All Close", "GPRS", "SMS"
    // and "All Open"; the texts are numbered even when the group is missing.
    void TranslateAlarmChoices(QWidget* radioGroup);
    void ApplyDebugWindowTexts();
    // --- parameter files (app/FrmMainParams.cpp)
    void ConnectParamsFiles();
    QString ParamsFolder() const;
public:
    void btnSaveClick();
    void btnLoadClick();
    std::unique_ptr<class TParamsFile> ParamsFile;
    // --- batch configuration: verify, compare, provisioning (app/FrmMainFleet.cpp)
    // The pages, queue and handlers that a batch run drives.
    struct TFleetTargets FleetTargets();
    void cbVerifyWriteClick();
    void btnCompareClick();
    void btnProvisionClick();
    QCheckBox* cbVerifyWrite = nullptr;  // beside cbTipOnOK; remembered as config "verify"
    QPushButton* btnCompare = nullptr;   // beside btnLoad
    QPushButton* btnProvision = nullptr;
    class TWriteVerifier* WriteVerifier = nullptr;
private:
    void ConnectFleet();
    void ApplyFleetTexts();
    // --- screen readers and tooltips (app/FrmMainAccessibility.cpp)
    void InstallAccessibility();
    // --- keyboard: tab order of every page, the fence list's keys (app/FrmMainKeyboard.cpp)
    void InstallKeyboardNavigation();
public:
    // The controls that Tab visits, by objectName, in reading order; names not present are skipped.
    static const QStringList& TabOrderNames();
private:
    // --- communication log and console (app/FrmMainLog.cpp)
    void BuildConsolePage();
    void btnShowMsgClick();
    class TConsolePage* FConsolePage = nullptr;

    // ICmdQueueHost
    void SetProgressTotal(int total) override;
    void SetProgressComplete(int complete) override;
    void LogSeparator() override;
    void LogSent(const QString& word, const QByteArray& commandText) override;
    void LogReceived(const QString& word, const QByteArray& payload) override;
    QString Translate(const QString& text) override;
    void DispatchResponse(const QByteArray& payload) override;

    // IByteChannel
    bool IsOpen() const override;
    void WriteFrame(const QByteArray& frame) override;

    std::unique_ptr<TCmdQueue> FQueue;
    bool FDestroyed = false;
    // A close that came while a nested loop ran waits for the last of them to return.
    bool FClosePending = false;
    // The language read from the settings file at start.
    QString FLanguage;

public:
    // The map host used when the settings file names none: the public host of the maps API.
    static constexpr const char* DefaultMapHost = "maps.googleapis.com";

public:
    // Top panel: COM group.
    QGroupBox* rgbCom = nullptr;
    QLabel* lblComPort = nullptr;
    QComboBox* cboCOMIndex = nullptr;
    QLabel* lblBaudRate = nullptr;
    QLineEdit* txtBAUD = nullptr;
    TComLed* ComLed1 = nullptr;
    QPushButton* btn_Switch = nullptr;
    QPushButton* btnShowMsg = nullptr;
    // Top panel: status group.
    QGroupBox* rgbInfo = nullptr;
    QLabel* lblID = nullptr;

    TSegmentProgressBar* rgbBar = nullptr;
    QTabWidget* pgCtrl = nullptr;
    QWidget* tsMain = nullptr;
    QWidget* tsAlarm = nullptr;
    QWidget* tsGeo = nullptr;
    QWidget* tsAdvOperation = nullptr;
    QGroupBox* gbGPRS = nullptr;

    // Map centre fields, filled from the settings file.
    QLineEdit* ed_MapLat = nullptr;
    QLineEdit* ed_MapLng = nullptr;
    QLineEdit* ed_MapZoom = nullptr;
    QLineEdit* ed_googleurl = nullptr;

    // Bottom panel.
    QWidget* pnBtm = nullptr;
    QPushButton* btnReadAll = nullptr;
    QPushButton* btnWriteAll = nullptr;
    QPushButton* btnDefault = nullptr;
    QCheckBox* cbTipOnOK = nullptr;
    QLabel* lblLanguage = nullptr;
    QComboBox* cbLanguage = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* btnLoad = nullptr;
};
