#pragma once

#include <QList>
#include <QWidget>
#include <cstdint>
#include <initializer_list>
#include <utility>

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
// read requests; a Write checks the group's fields, queues its writes; both start the exchange.
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

    // The checks, each with its message box. They queue nothing.
    // Low battery: the threshold must be 10 or more; a refusal shows the error box and clears
    // the queue.
    bool CheckLowBattery();
    // Refuses, with one message box naming the first offending field, any of the given values
    // that holds "," "(" ")" or "!" (see HasCommandBreakingChar).
    bool CheckCommandSafe(std::initializer_list<std::pair<const QLabel*, const QLineEdit*>> fields);
    // Refuses, with one message box naming the field (the longest of several), a write whose
    // command text would be longer than a frame can carry.
    bool CheckCommandFits(int32_t cmdNo, const QByteArray& paramText,
                          std::initializer_list<std::pair<const QLabel*, const QLineEdit*>> fields);
    // Separators and lengths of every value of a group's writes.
    bool CheckBasicInfoText();
    bool CheckGprsText();
    bool CheckAuthNumbersText();
    // The trimmed interval text read as an integer.
    bool TryUploadInterval(int32_t& interval) const;

    // The write requests, one command each, as the Write buttons and Write All queue them.
    void QueueAliasWrite();
    void QueueLowBatteryWrite();
    void QueueTimeDifferenceWrite();
    void QueueGSensorWrite();
    QByteArray GprsParam() const;
    void QueueGprsWrite();
    void QueueUploadModeWrite(int32_t interval);
    void QueueStrategyWrite();
    void QueueKeepAliveWrite();
    // Queues W 11 for authorization field k (1..5) when its trimmed text passes
    // IsPhoneNumberText (empty goes out as "0"); otherwise shows "VIP number %d is error.".
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

private:
    QGroupBox* BuildBasicInfo();
    QGroupBox* BuildGprs();
    QGroupBox* BuildDataUploading();
    QGroupBox* BuildAuthNumbers();

    TCmdQueue& FQueue;
    QList<QLineEdit*> FVip;
};
