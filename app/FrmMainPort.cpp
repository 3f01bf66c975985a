// The serial line as the window sees it: the port list, the open/close switch and the port's
// events, including the loss of the line.
#include "app/FrmMain.h"

#include "app/ComLed.h"
#include "app/KeyFilters.h"
#include "core/AppError.h"
#include "core/Clock.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "core/IniText.h"
#include "core/Numbers.h"
#include "diag/LogLine.h"
#include "i18n/ProgramTexts.h"
#include "link/ComPortError.h"
#include "params/StatusPanel.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimer>
#include <cerrno>
#include <cstring>

namespace {

const QString ErrorCaption = QStringLiteral("ERROR");
const QString ClosedColour = QStringLiteral("color: #0000FF");  // blue
const QString OpenColour = QStringLiteral("color: #A6CAF0");    // sky blue

// udev makes the device node first, then its links and permissions: a change is acted on once
// the burst has settled. The slow timer catches what a watch missed (a folder made later).
constexpr int DeviceSettleMs = 700;
constexpr int PortRefreshMs = 5000;
const QString DevFolder = QStringLiteral("/dev");
const QString ByIdFolder = QStringLiteral("/dev/serial/by-id");

// A device and, when it has one, its stable name under /dev/serial/by-id.
QString DeviceTip(const QString& device)
{
    const QString stable = StableDeviceName(device);
    return stable.isEmpty() || stable == device ? device : device + QLatin1Char('\n') + stable;
}

// The line below the error's own text: the device and why the system refused it, in words.
QString OpenReasonLine(const QString& shown, int systemError)
{
    QString reason;
    switch (systemError) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
        reason = TranslateText("port_reason_missing");
        break;
    case EACCES:
    case EPERM:
        reason = TranslateText("port_reason_denied");
        break;
    case EBUSY:
        reason = TranslateText("port_reason_busy");
        break;
    default:
        reason = QString::fromLocal8Bit(std::strerror(systemError));
        break;
    }
    return TranslateText("port_open_reason").arg(shown, reason);
}

// One line below the error's text that says how to get the port, when the cause is known.
QString OpenAdviceLine(const TOpenFailureDetail& d)
{
    const QString device = QDir::toNativeSeparators(d.Device);
    switch (d.Advice) {
    case TOpenAdvice::None:
        return QString();
    case TOpenAdvice::JoinGroup:
        return TranslateText("port_hint_join_group").arg(device, d.GroupName);
    case TOpenAdvice::LogInAgain:
        return TranslateText("port_hint_log_in_again").arg(device, d.GroupName);
    case TOpenAdvice::AskAdministrator:
        return TranslateText("port_hint_owner_only").arg(device, d.OwnerName);
    case TOpenAdvice::ClosedElsewhere: {
        QStringList holders;
        for (const TPortHolder& h : d.Holders)
            holders << TranslateText("port_holder").arg(h.Name, QString::number(h.Pid));
        return holders.isEmpty() ? TranslateText("port_hint_busy")
                                 : TranslateText("port_hint_busy_named").arg(holders.join(QStringLiteral(", ")));
    }
    }
    return QString();
}

} // namespace

void TFrmMain::ConnectSerialLine()
{
    ComPort.AddLink([this](bool connected) { ComLed1->SetLit(connected); });
    ComPort.OnAfterOpen = [this] { ComPortAfterOpen(); };
    ComPort.OnAfterClose = [this] { ComPortAfterClose(); };
    ComPort.OnRxChar = [this](int32_t count) { ComPortRxChar(count); };
    ComPort.OnLineLost = [this](const QString& message) { ComPortLineLost(message); };
    connect(btn_Switch, &QPushButton::clicked, this, &TFrmMain::btn_SwitchClick);
    connect(cboCOMIndex, &QComboBox::currentTextChanged, this, &TFrmMain::ShowPortDevice);
    WatchSerialDevices();
}

void TFrmMain::WatchSerialDevices()
{
    auto* settle = new QTimer(this);
    settle->setSingleShot(true);
    settle->setInterval(DeviceSettleMs);
    connect(settle, &QTimer::timeout, this, &TFrmMain::RefreshPortList);
    FDeviceWatcher = new QFileSystemWatcher(this);
    connect(FDeviceWatcher, &QFileSystemWatcher::directoryChanged, settle, qOverload<>(&QTimer::start));
    FPortRefreshTimer = new QTimer(this);
    FPortRefreshTimer->setInterval(PortRefreshMs);
    connect(FPortRefreshTimer, &QTimer::timeout, this, &TFrmMain::RefreshPortList);
    FPortRefreshTimer->start();
}

void TFrmMain::RefreshPortList()
{
    // /dev/serial/by-id exists only while some USB serial device does.
    for (const QString& folder : {DevFolder, ByIdFolder})
        if (!FDeviceWatcher->directories().contains(folder) && QFileInfo(folder).isDir())
            FDeviceWatcher->addPath(folder);
    // While the port is open its number stays as it is: the next refresh after the close
    // catches up.
    if (ComPort.Connected() || !FPortList.Refresh(PresentSerialDevices()))
        return;
    const QString typed = cboCOMIndex->currentText();
    const QSignalBlocker quiet(cboCOMIndex);
    RefillPortItems();
    const int at = cboCOMIndex->findText(typed);
    if (at >= 0)
        cboCOMIndex->setCurrentIndex(at);
    else
        cboCOMIndex->setEditText(typed); // a number whose adapter went away stays typed
    ShowPortDevice();
}

bool TFrmMain::cboCOMIndexKeyPress(QChar key) { return KeyFilterAccepts(TKeyFilter::Digits, key); }

TBaudRate TFrmMain::BaudTextToRate(int32_t value) { return ::BaudTextToRate(value); }

void TFrmMain::FillPortList()
{
    TIniText settings;
    settings.LoadFile(SettingsFilePath()); // a missing file names no ports
    FPortList.Build(settings, PresentSerialDevices());
    RefillPortItems();
    if (cboCOMIndex->count() > 0)
        cboCOMIndex->setCurrentIndex(0);
}

void TFrmMain::RefillPortItems()
{
    cboCOMIndex->clear();
    for (const TPortEntry& entry : FPortList.Listed()) {
        cboCOMIndex->addItem(QString::number(entry.Number));
        cboCOMIndex->setItemData(cboCOMIndex->count() - 1, DeviceTip(entry.Device), Qt::ToolTipRole);
    }
}

int32_t TFrmMain::AddPort(const QString& device)
{
    const int32_t number = FPortList.AddDevice(device);
    RefillPortItems();
    cboCOMIndex->setCurrentIndex(cboCOMIndex->findText(QString::number(number)));
    return number;
}

QString TFrmMain::PortDevice(const QString& numberText) const { return FPortList.DeviceOf(numberText); }

void TFrmMain::ShowPortDevice()
{
    // The field shows numbers only; the device behind the typed number is its tooltip.
    const QString device = PortDevice(cboCOMIndex->currentText());
    cboCOMIndex->setToolTip(device.isEmpty() ? TranslateText("port_no_device") : DeviceTip(device));
}

void TFrmMain::SetPortFieldsEnabled(bool enabled)
{
    cboCOMIndex->setEnabled(enabled);
    txtBAUD->setEnabled(enabled);
    lblComPort->setEnabled(enabled);
    lblBaudRate->setEnabled(enabled);
}

void TFrmMain::btn_SwitchClick()
{
    Queue().ClearCmdQueue();
    StopBatteryAnimation();
    try {
        if (ComPort.Connected()) {
            // A close that fails (the device refuses the last calls) still leaves the window
            // closed: the port object has let the device go either way.
            const auto closed = qScopeGuard([this] {
                StatusPanel->SetStale(true);
                SetPortFieldsEnabled(true);
                SetCommandButtonsEnabled(false);
                btn_Switch->setText(Translate(QStringLiteral("Open[&O]")));
            });
            ComPort.ClosePort();
        } else {
            OpenSelectedPort();
        }
    } catch (const EComPort& e) {
        // The error's own text first, then the device and the system's reason, then what the
        // user can do about it.
        QStringList lines{e.Message()};
        if (e.Code() == TComError::OpenFailed && e.SystemError() != EComPort::NoSystemError) {
            // A number that stands for no device is named as the port it was meant to be.
            const QString device = ComPort.Port().isEmpty() ? QStringLiteral("COM") + cboCOMIndex->currentText()
                                                            : QDir::toNativeSeparators(ComPort.Port());
            lines << OpenReasonLine(device, e.SystemError());
            const QString advice = OpenAdviceLine(DescribeOpenFailure(ComPort.Port(), e.SystemError()));
            if (!advice.isEmpty())
                lines << advice;
        }
        Dialogs::ShowMessage(ErrorCaption, lines.join(QLatin1Char('\n')), TMsgIcon::Error);
    } catch (const EAppError& e) {
        Dialogs::ShowMessage(ErrorCaption, e.Message(), TMsgIcon::Error);
    }
}

void TFrmMain::OpenSelectedPort()
{
    ComPort.SetPort(PortDevice(cboCOMIndex->currentText()));
    ComPort.SetBaudRate(BaudTextToRate(StrToIntDef(txtBAUD->text(), 9600)));
    ComPort.OpenPort();
    cboCOMIndex->setEnabled(false);
    txtBAUD->setEnabled(false);
    btn_Switch->setText(Translate(QStringLiteral("Close[&O]")));
    Queue().RxBuffer().clear();
    SetCommandButtonsEnabled(true);
}

void TFrmMain::ComPortAfterOpen()
{
    btn_Switch->setText(QStringLiteral("CLOSE(&C)"));
    btn_Switch->setStyleSheet(OpenColour);
    AppendLogLine(FormatLogStamp(Clock::Now()) + QLatin1Char(' ') +
                  TranslateText("port_list_line").arg(cboCOMIndex->currentText(), ComPort.Port()));
}

void TFrmMain::ComPortAfterClose()
{
    btn_Switch->setText(QStringLiteral("OPEN(&O)"));
    btn_Switch->setStyleSheet(ClosedColour);
}

void TFrmMain::ComPortRxChar(int32_t count) { Queue().AppendReceived(ComPort.ReadBytes(count)); }

void TFrmMain::ComPortLineLost(const QString& message)
{
    // The port has closed itself (lamp dark, after-close caption). Leave the window as the
    // switch leaves it after a close, with no exchange waiting for a time-out, then say so once.
    Queue().ClearCmdQueue();
    Queue().SetBusy(false);
    StopBatteryAnimation();
    StatusPanel->SetStale(true);
    SetPortFieldsEnabled(true);
    SetCommandButtonsEnabled(false);
    btn_Switch->setText(Translate(QStringLiteral("Open[&O]")));
    const QString lost = TranslateText("port_line_lost");
    AppendLogLine(FormatLogStamp(Clock::Now()) + QLatin1Char(' ') +
                  TranslateText("port_list_line").arg(cboCOMIndex->currentText(), ComPort.Port()) +
                  QStringLiteral(" : ") + lost + QLatin1Char(' ') + message);
    Dialogs::ShowMessage(ErrorCaption, lost + QLatin1Char('\n') + message, TMsgIcon::Error);
}

void TFrmMain::ClosePortAtShutdown()
{
    ComPort.OnLineLost = nullptr;
    const auto detach = qScopeGuard([this] { ComPort.OnAfterClose = nullptr; });
    if (ComPort.Connected())
        ComPort.ClosePort();
}

bool TFrmMain::IsOpen() const { return ComPort.Connected(); }

void TFrmMain::WriteFrame(const QByteArray& frame) { ComPort.WriteBytes(frame); }
