// The serial port and the port list on Windows, on real COM ports (under Wine pseudo-terminals
// with the simulated tracker behind them) and the real registry.
#include "core/IniText.h"
#include "link/ComPort.h"
#include "link/PortList.h"
#include "link/Win32SerialBackend.h"
#include "support_wine_port.h"

// Lean: the full header renames SetPort (a printer call) and other names the program uses.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

// A port with recording handlers: every receive event reads what is waiting.
struct TPortProbe {
    TComPort Port;
    QByteArray Received;
    int RxEvents = 0;
    int Opened = 0;
    int Closed = 0;
    QStringList Lost;

    explicit TPortProbe(const QString& device)
    {
        Port.SetPort(device);
        Port.OnRxChar = [this](int32_t count) {
            ++RxEvents;
            Received += Port.ReadBytes(count);
        };
        Port.OnAfterOpen = [this] { ++Opened; };
        Port.OnAfterClose = [this] { ++Closed; };
        Port.OnLineLost = [this](const QString& message) { Lost << message; };
    }

    // Runs the event loop until count status answers have come in all told (or 5 s have
    // passed); the identifiers received so far.
    QList<QByteArray> Answers;
    qsizetype WaitForAnswers(qsizetype count)
    {
        QDeadlineTimer deadline(5000);
        while (Answers.size() < count && !deadline.hasExpired()) {
            QTest::qWait(5);
            Answers += WinePort::StatusAnswers(Received);
        }
        return Answers.size();
    }
};

const wchar_t* const SerialCommKey = L"HARDWARE\\DEVICEMAP\\SERIALCOMM";

// Registers a port in SERIALCOMM for the length of a test, as a driver does.
struct TRegisteredPort {
    std::wstring Value;
    bool Ok = false;
    TRegisteredPort(const wchar_t* value, const QString& port) : Value(value)
    {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, SerialCommKey, 0, nullptr, REG_OPTION_VOLATILE, KEY_SET_VALUE, nullptr,
                            &key, nullptr) != ERROR_SUCCESS)
            return;
        const std::wstring data = port.toStdWString();
        Ok = RegSetValueExW(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                            DWORD((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
        RegCloseKey(key);
    }
    ~TRegisteredPort()
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, SerialCommKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
            RegDeleteValueW(key, Value.c_str());
            RegCloseKey(key);
        }
    }
};

} // namespace

class TestWin32ComPort : public QObject {
    Q_OBJECT
    QString FPort;

private slots:
    void initTestCase() { FPort = WinePort::Named("TOVRIK_TEST_COM"); }

    // Open, twenty queries one after the other, each answered through the event thread, close.
    void queriesAreAnsweredThroughTheEventThread()
    {
        TPortProbe probe(FPort);
        probe.Port.OpenPort();
        QVERIFY(probe.Port.Connected());
        QCOMPARE(probe.Opened, 1);
        const QByteArray query = WinePort::StatusQuery();
        for (int i = 1; i <= 20; ++i) {
            QCOMPARE(probe.Port.WriteBytes(query), int32_t(query.size()));
            QCOMPARE(probe.WaitForAnswers(i), qsizetype(i));
        }
        QVERIFY(probe.RxEvents >= 20);
        for (const QByteArray& identifier : probe.Answers)
            QCOMPARE(identifier, probe.Answers[0]);
        probe.Port.ClosePort();
        QVERIFY(!probe.Port.Connected());
        QCOMPARE(probe.Closed, 1);
        QVERIFY(probe.Lost.isEmpty());
        QCOMPARE(probe.Port.Handle(), -1);
    }

    // Closing with an answer in flight and opening again, ten times in a row: the port opens
    // every time and each connection gets its answer; no line is reported lost, nothing stays
    // open.
    void reopenWithAnswersInFlight()
    {
        TPortProbe probe(FPort);
        const QByteArray query = WinePort::StatusQuery();
        for (int i = 0; i < 10; ++i) {
            probe.Port.OpenPort();
            probe.Received.clear();
            probe.Answers.clear();
            QCOMPARE(probe.Port.WriteBytes(query), int32_t(query.size()));
            QVERIFY(probe.WaitForAnswers(1) >= 1);
            QCOMPARE(probe.Port.WriteBytes(query), int32_t(query.size())); // answered after the close
            probe.Port.ClosePort();
        }
        QCOMPARE(probe.Opened, 10);
        QCOMPARE(probe.Closed, 10);
        QVERIFY(probe.Lost.isEmpty());
        QCOMPARE(Win32Serial::OpenHandleCount(), 0);
    }

    // A port with no device: the error the user sees, and the port stays closed.
    void missingPort()
    {
        TPortProbe probe(WinePort::Named("TOVRIK_TEST_MISSING_COM"));
        QString message;
        try {
            probe.Port.OpenPort();
        } catch (const EComPort& e) {
            message = e.Message();
            QCOMPARE(DescribeOpenFailure(probe.Port.Port(), e.SystemError()).Advice, TOpenAdvice::None);
            // Refused because another program holds the port, the advice would be to close it.
            QCOMPARE(DescribeOpenFailure(probe.Port.Port(), ERROR_ACCESS_DENIED).Advice, TOpenAdvice::ClosedElsewhere);
        }
        QCOMPARE(message, QStringLiteral("Unable to open com port (Error: 2)"));
        QVERIFY(!probe.Port.Connected());
        QCOMPARE(probe.Opened, 0);
    }

    // The tracker hangs up after its first answer: the port notices at the latest with the next
    // write, reports the lost line once and is closed.
    void lineLostAfterHangUp()
    {
        TPortProbe probe(WinePort::Named("TOVRIK_TEST_HANGUP_COM"));
        probe.Port.OpenPort();
        const QByteArray query = WinePort::StatusQuery();
        QCOMPARE(probe.Port.WriteBytes(query), int32_t(query.size()));
        QCOMPARE(probe.WaitForAnswers(1), qsizetype(1));
        QTest::qWait(500); // the tracker hangs up a little after its answer
        QString writeFailure;
        try {
            if (probe.Port.Connected())
                probe.Port.WriteBytes(query);
        } catch (const EComPort& e) {
            writeFailure = e.Message();
            QCOMPARE(e.Code(), TComError::WriteFailed);
        }
        QTRY_COMPARE_WITH_TIMEOUT(probe.Lost.size(), 1, 5000);
        QVERIFY(!probe.Port.Connected());
        QCOMPARE(probe.Closed, 1);
        QVERIFY2(writeFailure.isEmpty() || probe.Lost[0] == writeFailure, qPrintable(probe.Lost[0]));
        QTest::qWait(200);
        QCOMPARE(probe.Lost.size(), 1); // once
        QCOMPARE(Win32Serial::OpenHandleCount(), 0);
    }

    // The names the registry lists are the present ports, in natural order (COM2 before COM10).
    void presentPortsFromTheRegistry()
    {
        TRegisteredPort ten(L"\\Device\\TovrikTest10", QStringLiteral("COM10"));
        TRegisteredPort two(L"\\Device\\TovrikTest2", QStringLiteral("COM2"));
        QVERIFY(ten.Ok && two.Ok);
        const QStringList registered = Win32Serial::RegisteredPorts();
        QVERIFY(registered.contains(QStringLiteral("COM10")));
        QVERIFY(registered.contains(QStringLiteral("COM2")));
        const QStringList present = PresentSerialDevices();
        QCOMPARE(present.size(), registered.size());
        for (const QString& port : registered)
            QVERIFY(present.contains(port));
        QVERIFY(present.indexOf(QStringLiteral("COM2")) >= 0);
        QVERIFY(present.indexOf(QStringLiteral("COM2")) < present.indexOf(QStringLiteral("COM10")));
    }

    // Port numbers are COM numbers: a present COMn takes n; a number named in the settings
    // keeps its device, and a port whose number is taken so takes the first free one; a
    // number that nothing lists still stands for its COM port.
    void portNumbersAreComNumbers()
    {
        TIniText settings;
        settings.WriteString(QStringLiteral("ports"), QStringLiteral("3"), QStringLiteral("COM10"));
        TPortList list;
        list.Build(settings, {QStringLiteral("COM10"), QStringLiteral("COM3"), QStringLiteral("COM7")});
        QCOMPARE(list.NumberOf(QStringLiteral("COM10")), 3);
        QCOMPARE(list.NumberOf(QStringLiteral("COM7")), 7);
        QCOMPARE(list.NumberOf(QStringLiteral("COM3")), 1);
        QCOMPARE(list.DeviceOf(QStringLiteral("7")), QStringLiteral("COM7"));
        QCOMPARE(list.DeviceOf(QStringLiteral("12")), QStringLiteral("COM12"));
        QCOMPARE(list.DeviceOf(QStringLiteral("0")), QString());
        QCOMPARE(list.DeviceOf(QStringLiteral("COM7")), QString());
        QCOMPARE(SystemPortNumber(QStringLiteral("\\\\.\\COM11")), 11);
        QCOMPARE(SystemPortNumber(QStringLiteral("com4")), 4);
        QCOMPARE(SystemPortNumber(QStringLiteral("COMX")), 0);
        QCOMPARE(SystemPortNumber(QStringLiteral("LPT1")), 0);
        QCOMPARE(Win32Serial::DevicePath("COM12"), QByteArray("\\\\.\\COM12"));
        QCOMPARE(Win32Serial::DevicePath("\\\\.\\COM3"), QByteArray("\\\\.\\COM3"));
    }

    // The number typed for the tracker's port opens it.
    void openByNumber()
    {
        TPortList list;
        list.Build(TIniText(), PresentSerialDevices());
        const int32_t number = SystemPortNumber(FPort);
        QVERIFY(number > 0);
        const QString device = list.DeviceOf(QString::number(number));
        QCOMPARE(device.compare(FPort, Qt::CaseInsensitive), 0);
        TPortProbe probe(device);
        probe.Port.OpenPort();
        const QByteArray query = WinePort::StatusQuery();
        QCOMPARE(probe.Port.WriteBytes(query), int32_t(query.size()));
        QCOMPARE(probe.WaitForAnswers(1), qsizetype(1));
        probe.Port.ClosePort();
    }
};

QTEST_GUILESS_MAIN(TestWin32ComPort)
#include "test_win32_comport.moc"
