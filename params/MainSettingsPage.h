#pragma once

#include "params/TrackerSettings.h"

#include <QList>
#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class TCmdQueue;

// The "Main Settings" page: basic information, GPRS network parameters, data uploading and the
// authorization numbers, each group with its Read and Write button. A Read queues the group's
// read requests; a Write takes the group's controls into the settings model, checks the values
// there and queues the writes the model encodes; both start the exchange. The page shows the
// model's values as answers set them.
class TMainSettingsPage : public QWidget {
    Q_OBJECT
public:
    TMainSettingsPage(TCmdQueue& queue, QWidget* parent = nullptr);

    static constexpr int KeepAliveMinimum = 30;
    static constexpr int KeepAliveMaximum = 7200;
    static constexpr int KeepAliveDefault = 300;
    static constexpr int AuthNumberCount = 5;

    // Button handlers.
    void btnCenterNumberReadClick();
    void btnCenterNumberSetClick();
    void btnGprsReadClick();
    void btnGprsSetClick();
    void btnWorkModeReadClick();
    void btnWorkModeSetClick();
    void btnVipCfgReadClick();
    void btnVipCfgSetClick();
    // Strategy and mode handlers: they run whenever a strategy button becomes selected, by a
    // click or from code (an answer, a parameter file); a mode chosen by the user rebuilds the list.
    void RBtn_Main_01Click();
    void RBtn_Main_02Click();
    void cbUpLoadModeClick();
    void RebuildIntervalList();

    // The settings model the page's Writes take the controls into; the window hands the page
    // its own, a page alone has one of its own.
    void SetSettings(TTrackerSettings* settings);
    TTrackerSettings& Settings() const { return *FSettings; }
    // The keys of the settings the page shows (those of the model's field table but the alarm
    // channels and the radius).
    static const QStringList& Keys();
    // Shows a value of the model on its control as an answer does: a choice by its item, the
    // strategy by its radio button (which runs its handler), a keep-alive of 30 or less as off
    // with 300. False for a key that is not the page's.
    bool ShowSetting(const TTrackerSettings& settings, const QString& key);
    // Puts what the key's control holds now into the model, in the form its command carries
    // it. False for a key that is not the page's.
    bool TakeSetting(TTrackerSettings& settings, const QString& key);
    // Takes the controls of the given keys into the page's model.
    void Take(const QStringList& keys);
    // Every control of the page into its model, as a Write takes them at its click.
    void TakeAll() { Take(Keys()); }

    // The checks of the values in the page's model, each with its message box. They queue
    // nothing. Take the controls first.
    // Low battery: the threshold must be 10 or more; a refusal shows the error box and clears
    // the queue.
    bool CheckLowBattery();
    // Refuses, with one message box naming the first offending field, any of the given values
    // that holds "," "(" ")" or "!" (see HasCommandBreakingChar).
    bool CheckCommandSafe(const QStringList& keys);
    // Refuses, with one message box naming the field (the longest of several), a write whose
    // command text would be longer than a frame can carry.
    bool CheckCommandFits(int32_t cmdNo, int32_t entry = 0);
    // Separators and lengths of every value of a group's writes.
    bool CheckBasicInfoText();
    bool CheckGprsText();
    bool CheckAuthNumbersText();
    // The trimmed interval read as an integer; when it is none, says so (WriteStopped).
    bool TryUploadInterval(int32_t& interval);
    // After the checks above: refuses, with one box naming the first field and what it may
    // hold, any of the given values outside its setting's type and range (the field table),
    // and clears the queue. Authorization numbers are left to their own check.
    bool CheckValues(const QStringList& keys);

    // The write requests of the values in the page's model, one command each, as the Write
    // buttons and Write All queue them.
    void QueueWrite(int32_t cmdNo);
    // Queues W 11 for authorization number k (1..5) when it passes IsPhoneNumberText (empty
    // goes out as "0"); otherwise shows "VIP number %d is error.".
    void QueueAuthNumberWrite(int k);

    // Written by the keep-alive answer, read when strategy 1 becomes selected; 0 at start.
    int32_t LastKeepAlive = 0;
    // Applies a keep-alive period as the answer of command 18 gives it.
    void ApplyKeepAlive(int32_t seconds);

    QLineEdit* AuthNumberEdit(int k) const { return FVip.value(k - 1); }

    // Basic information.
    QGroupBox* gbBasicInfo;
    QLabel* lblAlias;
    QLineEdit* txtAlias;
    QLabel* lblBatteryPercent;
    QComboBox* cboBatteryAlert;
    QLabel* lblBatteryUnit;
    QLabel* lblTimeDif;
    QLineEdit* txtTimeDifferent;
    QLabel* lblTimeMin;
    QLabel* lblGSensorParam;
    QLineEdit* txtGSensorParam;
    QLabel* lblGSensorUnit;
    QPushButton* btnCenterNumberRead;
    QPushButton* btnCenterNumberSet;
    // GPRS network parameters.
    QGroupBox* gbGPRS;
    QLabel* lblGprsIP;
    QLineEdit* txtIPAddress;
    QLabel* lblGprsPort;
    QLineEdit* txtPort;
    QLabel* lblGprsAPN;
    QLineEdit* txtAPN;
    QLabel* lblAPNName;
    QLineEdit* txtAPNUsername;
    QLabel* lblApnPass;
    QLineEdit* txtAPNPassword;
    QPushButton* btnGprsRead;
    QPushButton* btnGprsSet;
    // Data uploading.
    QGroupBox* gbDataUploading;
    QRadioButton* RBtn_Main_01;
    QWidget* pnlKeepAlive;
    QCheckBox* RCox_KeepAlive;
    QSpinBox* RzSpinEdit_KeepAlive;
    QLabel* lbl_sec_1;
    QRadioButton* RBtn_Main_02;
    QLabel* lblWorkMode;
    QComboBox* cbUpLoadMode;
    QLabel* lblUpItv;
    QComboBox* CBox_UploadingInterval;
    QLabel* lblUpSec;
    QPushButton* btnWorkModeRead;
    QPushButton* btnWorkModeSet;
    // Authorization numbers.
    QGroupBox* gbVIPAlarm;
    QLabel* lblVIP_1;
    QLabel* lblVIP_2;
    QLabel* lblVIP_3;
    QLabel* lblVIP_4;
    QLabel* lblVIP_5;
    QLineEdit* edtVIP_1;
    QLineEdit* edtVIP_2;
    QLineEdit* edtVIP_3;
    QLineEdit* edtVIP_4;
    QLineEdit* edtVIP_5;
    QPushButton* btnVipCfgRead;
    QPushButton* btnVipCfgSet;

signals:
    // A Write stopped without a box (an interval that is no whole number): what the window's
    // status line says.
    void WriteStopped(const QString& reason);

private:
    QGroupBox* BuildBasicInfo();
    QGroupBox* BuildGprs();
    QGroupBox* BuildDataUploading();
    QGroupBox* BuildAuthNumbers();

    // The line edit of a text setting; null for the others.
    QLineEdit* TextEdit(const QString& key) const;
    // The caption of the label of a key's control, as the refusal boxes name the field.
    QString FieldName(const QString& key) const;

    TCmdQueue& FQueue;
    QList<QLineEdit*> FVip;
    std::unique_ptr<TTrackerSettings> FOwnSettings;
    TTrackerSettings* FSettings;
};
