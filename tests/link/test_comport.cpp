// The serial port over real pseudo-terminals: the test holds the controlling side and plays the
// tracker byte by byte.
#include "core/Numbers.h"
#include "link/ComPort.h"
#include "link/FrameCodec.h"
#include "link/SerialBackend.h"
#include "sim/PseudoTerminal.h"
#include "support_process.h"

#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QtTest>
#include <thread>

namespace {

// A port with recording handlers: every receive event reads what is waiting.
struct TPortProbe {
    TComPort Port;
    QByteArray Received;
    int RxEvents = 0;
    int Opened = 0;
    int Closed = 0;
    QStringList Lost;
    QList<bool> Links;

    explicit TPortProbe(const QString& device, bool reading = true)
    {
        Port.SetPort(device);
        if (reading)
            Port.OnRxChar = [this](int32_t count) {
                ++RxEvents;
                Received += Port.ReadBytes(count);
            };
        Port.OnAfterOpen = [this] { ++Opened; };
        Port.OnAfterClose = [this] { ++Closed; };
        Port.OnLineLost = [this](const QString& message) { Lost << message; };
        Port.AddLink([this](bool connected) { Links << connected; });
    }
};

QString OpenError(TComPort& port)
{
    try {
        port.OpenPort();
    } catch (const EComPort& e) {
        return e.Message();
    }
    return QString();
}

// Waits, without processing events, until the event thread has begun to hand an event over.
bool WaitForHandOver(const TComPort& port, uint64_t before)
{
    QDeadlineTimer deadline(5000);
    while (port.HandOversStarted() == before)
        if (deadline.hasExpired())
            return false;
        else
            std::this_thread::yield();
    return true;
}

} // namespace

class TestComPort : public QObject {
    Q_OBJECT
private slots:
    // Event threads of earlier ports end at their own pace after their close; every test takes
    // its thread and descriptor counts once none is left.
    void init() { QTRY_COMPARE_WITH_TIMEOUT(CountThreads(), 0, 5000); }

    void initTestCase()
    {
        // Warm up whatever Qt creates lazily on the first open (the event loop's descriptors),
        // so that the counts below compare like with like.
        TPseudoTerminal pty;
        QVERIFY(pty.Open());
        TPortProbe probe(pty.DevicePath());
        probe.Port.OpenPort();
        probe.Port.ClosePort();
    }

    void openCloseCyclesLeakNothing()
    {
        TPseudoTerminal pty;
        QVERIFY(pty.Open());
        const int fds = CountOpenDescriptors();
        const int threads = CountThreads();
        TPortProbe probe(pty.DevicePath());
        for (int i = 0; i < 100; ++i) {
            probe.Port.OpenPort();
            QVERIFY(probe.Port.Connected());
            // The thread names itself as it starts, so it may take a moment to be counted.
            QTRY_COMPARE_WITH_TIMEOUT(CountThreads(), threads + 1, 5000);
            probe.Port.ClosePort();
            QVERIFY(!probe.Port.Connected());
            // The thread has ended; the system takes a moment to remove it from the task list.
            QTRY_COMPARE_WITH_TIMEOUT(CountThreads(), threads, 5000);
        }
        QCOMPARE(probe.Opened, 100);
        QCOMPARE(probe.Closed, 100);
        QCOMPARE(probe.Links.size(), 200);
        QCOMPARE(probe.Links.first(), true);
        QCOMPARE(probe.Links.last(), false);
        QCOMPARE(CountOpenDescriptors(), fds);
        // Opening an open port and closing a closed one do nothing.
        probe.Port.OpenPort();
        probe.Port.OpenPort();
        QCOMPARE(probe.Opened, 101);
        probe.Port.ClosePort();
        probe.Port.ClosePort();
        QCOMPARE(probe.Closed, 101);
    }

    void secondOpenOfOneDeviceFails()
    {
        TPseudoTerminal pty;
        QVERIFY(pty.Open());
        TPortProbe first(pty.DevicePath());
        TPortProbe second(pty.DevicePath());
        // Counted before the first open: the first port's event thread makes descriptors of
        // its own while it starts, at a moment no test can pin down.
        const int fds = CountOpenDescriptors();
        first.Port.OpenPort();
        for (int i = 0; i < 20; ++i)
            QCOMPARE(OpenError(second.Port), QStringLiteral("Unable to open com port (Error: 16)"));
        QVERIFY(!second.Port.Connected());
        QCOMPARE(second.Opened, 0);
        first.Port.ClosePort();
        // Twenty refused opens left nothing behind.
        QTRY_COMPARE_WITH_TIMEOUT(CountOpenDescriptors(), fds, 5000);
        // Released on close: the device can be opened again, by either.
        QCOMPARE(OpenError(second.Port), QString());
        QCOMPARE(OpenError(first.Port), QStringLiteral("Unable to open com port (Error: 16)"));
    }

    void writtenFramesReachTheOtherSide()
    {
        TPseudoTerminal pty;
        QVERIFY(pty.Open());
        TPortProbe probe(pty.DevicePath());
        probe.Port.OpenPort();
        const QByteArray frame = EncodeFrame("(P05,0)");
        QCOMPARE(probe.Port.WriteBytes(frame), int32_t(frame.size()));
        QByteArray arrived;
        QTRY_VERIFY_WITH_TIMEOUT((arrived += pty.ReadAvailable()).size() >= frame.size(), 5000);
        QCOMPARE(arrived, frame);
        QCOMPARE(probe.Port.WriteBytes(QByteArray()), 0);
        // Every byte value passes unchanged: raw mode, no translation of CR, LF, XON or XOFF.
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        probe.Port.WriteBytes(all);
        arrived.clear();
        QTRY_VERIFY_WITH_TIMEOUT((arrived += pty.ReadAvailable()).size() >= all.size(), 5000);
        QCOMPARE(arrived, all);
    }

    void bytesInPiecesBecomeOneFrame()
    {
        TPseudoTerminal pty;
        QVERIFY(pty.Open());
        TPortProbe probe(pty.DevicePath());
        probe.Port.OpenPort();
        const QByteArray frame = EncodeFrame("(0123456789,P10,20)");
        QByteArray buffer;
        QByteArray payload;
        const QList<QByteArray> pieces = {frame.left(3), frame.mid(3, 9), frame.mid(12)};
        for (int i = 0; i < pieces.size(); ++i) {
            QVERIFY(pty.Write(pieces[i]));
            QTRY_COMPARE_WITH_TIMEOUT(probe.Received.size(), pieces[i].size(), 5000);
            buffer += probe.Received;
            probe.Received.clear();
            const bool complete = ExtractFrame(buffer, payload);
            QCOMPARE(complete, i == 2);
        }
        QCOMPARE(payload, QByteArray("(0123456789,P10,20)"));
        QVERIFY(probe.RxEvents >= 3);
    }

    void twoFramesInOneRead()
    {
        TPseudoTerminal pty;
        QVERIFY(pty.Open());
        TPortProbe probe(pty.DevicePath());
        probe.Port.OpenPort();
        const QByteArray both = EncodeFrame("(0123456789,P09,300)") + EncodeFrame("(0123456789,P12,-60)");
        QVERIFY(pty.Write(both));
        QTRY_COMPARE_WITH_TIMEOUT(probe.Received.size(), both.size(), 5000);
        QCOMPARE(probe.RxEvents, 1); // one event, one read of everything that waited
        QByteArray payload;
        QVERIFY(ExtractFrame(probe.Received, payload));
        QCOMPARE(payload, QByteArray("(0123456789,P09,300)"));
        QVERIFY(ExtractFrame(probe.Received, payload));
        QCOMPARE(payload, QByteArray("(0123456789,P12,-60)"));
    }

    void bytesFromBeforeTheOpenAreDiscarded()
    {
        TPseudoTerminal pty;
        QVERIFY(pty.Open());
        TPortProbe probe(pty.DevicePath());
        // A late answer to an earlier connection waits in the driver while no port is open.
        QVERIFY(pty.Write(EncodeFrame("(0123456789,P09,300)")));
        probe.Port.OpenPort();
        const QByteArray fresh = EncodeFrame("(0123456789,P10,20)");
        QVERIFY(pty.Write(fresh));
        QTRY_COMPARE_WITH_TIMEOUT(probe.Received.size(), fresh.size(), 5000);
        QCOMPARE(probe.Received, fresh);
    }

    void idleOpenPortCostsNoCpu()
    {
        TPseudoTerminal pty;
        QVERIFY(pty.Open());
        TPortProbe probe(pty.DevicePath());
        probe.Port.OpenPort();
        const double before = ProcessCpuMs();
        // A fixed span on purpose: this measures what an idle half second costs.
        QTest::qWait(500);
        QVERIFY2(ProcessCpuMs() - before < 50, qPrintable(QString::number(ProcessCpuMs() - before)));
        QCOMPARE(probe.RxEvents, 0);
    }

    void hangUpMidExchangeIsReportedOnce()
    {
        auto pty = std::make_unique<TPseudoTerminal>();
        QVERIFY(pty->Open());
        const int fds = CountOpenDescriptors();
        const int threads = CountThreads();
        TPortProbe probe(pty->DevicePath());
        probe.Port.OpenPort();
        QVERIFY(probe.Port.WriteBytes(EncodeFrame("(P05,0)")) > 0);
        const QByteArray frame = EncodeFrame("(0123456789,P05,1.2.3.4,8888,CMNET,,)");
        QVERIFY(pty->Write(frame.left(10)));
        QTRY_COMPARE_WITH_TIMEOUT(probe.Received.size(), 10, 5000);
        pty->Close(); // the tracker is gone (killed, unplugged)
        QTRY_COMPARE_WITH_TIMEOUT(probe.Lost.size(), 1, 5000);
        QCOMPARE(probe.Lost.first(), QStringLiteral("ReadFile function failed (Error: 5)"));
        QVERIFY(!probe.Port.Connected());
        QCOMPARE(probe.Closed, 1);
        QCOMPARE(probe.Links.last(), false);
        QTRY_COMPARE_WITH_TIMEOUT(CountThreads(), threads, 5000);
        // No spinning and no second report: a fixed span on purpose, to measure its cost.
        const double before = ProcessCpuMs();
        QTest::qWait(300);
        QVERIFY2(ProcessCpuMs() - before < 50, qPrintable(QString::number(ProcessCpuMs() - before)));
        QCOMPARE(probe.Lost.size(), 1);
        QCOMPARE(probe.Closed, 1);
        // The port is usable again once a device is back.
        pty.reset();
        QCOMPARE(CountOpenDescriptors(), fds - 2);
        TPseudoTerminal back;
        QVERIFY(back.Open());
        probe.Port.SetPort(back.DevicePath());
        probe.Port.OpenPort();
        QVERIFY(back.Write(frame));
        QTRY_VERIFY_WITH_TIMEOUT(probe.Received.endsWith(frame), 5000);
        probe.Port.ClosePort();
        QCOMPARE(probe.Lost.size(), 1);
    }

    void readWriteOnLostLineFailCleanly()
    {
        auto pty = std::make_unique<TPseudoTerminal>();
        QVERIFY(pty->Open());
        TPortProbe probe(pty->DevicePath(), false);
        probe.Port.OnRxChar = nullptr;
        const int threads = CountThreads();
        probe.Port.OpenPort();
        pty->Close();
        // Before the hang-up's event is handled (no event processing in between), a write fails
        // with the system's reason.
        QString failure;
        try {
            probe.Port.WriteBytes("(P01,0)");
        } catch (const EComPort& e) {
            failure = e.Message();
        }
        QCOMPARE(failure, QStringLiteral("WriteFile function failed (Error: 5)"));
        // The write found the line gone: the port closed and said so at once, and the hang-up
        // event still on its way reports nothing more.
        QCOMPARE(probe.Lost, QStringList({failure}));
        QVERIFY(!probe.Port.Connected());
        QCOMPARE(probe.Closed, 1);
        QTRY_COMPARE_WITH_TIMEOUT(CountThreads(), threads, 5000);
        QTest::qWait(100); // a fixed span on purpose: nothing may arrive in it
        QCOMPARE(probe.Lost.size(), 1);
    }

    void closeWhileAnEventIsHandedOver()
    {
        TPseudoTerminal pty;
        QVERIFY(pty.Open());
        const int threads = CountThreads();
        TPortProbe probe(pty.DevicePath());
        for (int i = 0; i < 300; ++i) {
            probe.Port.OpenPort();
            QVERIFY(pty.Write("!x!"));
            // The event thread now blocks in its hand-over, waiting for this thread.
            QVERIFY(WaitForHandOver(probe.Port, 0));
            probe.Port.ClosePort();
            QVERIFY(!probe.Port.Connected());
            // The thread has ended; the system takes a moment to remove it from the task list.
            QTRY_COMPARE_WITH_TIMEOUT(CountThreads(), threads, 5000);
        }
        QCOMPARE(probe.Closed, 300);
        QVERIFY(probe.Lost.isEmpty());
    }

    void closeFromInsideTheReceiveHandler()
    {
        TPseudoTerminal pty;
        QVERIFY(pty.Open());
        const int threads = CountThreads();
        const int fds = CountOpenDescriptors();
        TPortProbe probe(pty.DevicePath());
        for (int i = 0; i < 50; ++i) {
            int handled = 0;
            probe.Port.OnRxChar = [&](int32_t count) {
                ++handled;
                probe.Received += probe.Port.ReadBytes(count);
                probe.Port.ClosePort();
                if (i % 2 == 1)
                    probe.Port.OpenPort(); // and straight back, still inside the old hand-over
            };
            probe.Port.OpenPort();
            QVERIFY(pty.Write("!y!"));
            QTRY_COMPARE_WITH_TIMEOUT(handled, 1, 5000);
            QCOMPARE(probe.Port.Connected(), i % 2 == 1);
            probe.Port.OnRxChar = nullptr;
            probe.Port.ClosePort();
        }
        QTRY_COMPARE_WITH_TIMEOUT(CountThreads(), threads, 5000);
        probe.Port.OpenPort(); // reaps the ended threads
        probe.Port.ClosePort();
        QCOMPARE(CountOpenDescriptors(), fds);
        QVERIFY(probe.Lost.isEmpty());
    }

    void floodWithoutFramesStaysBounded()
    {
        TPseudoTerminal pty;
        QVERIFY(pty.Open());
        TPortProbe probe(pty.DevicePath(), false);
        QByteArray rxBuffer;
        qsizetype total = 0;
        qsizetype largest = 0;
        probe.Port.OnRxChar = [&](int32_t count) {
            const QByteArray bytes = probe.Port.ReadBytes(count);
            total += bytes.size();
            rxBuffer += bytes;
            CapRxBuffer(rxBuffer);
            largest = std::max(largest, rxBuffer.size());
        };
        probe.Port.OpenPort();
        const QByteArray junk(1024, 'j');
        const qsizetype sent = 1024 * junk.size();
        std::thread writer([&] {
            for (int i = 0; i < 1024; ++i)
                pty.Write(junk);
        });
        QTRY_COMPARE_WITH_TIMEOUT(total, sent, 20000);
        writer.join();
        QVERIFY(largest <= MaxRxBufferSize);
        QVERIFY(probe.Lost.isEmpty());
    }

    void unreadInputStopsWatchingUntilRead()
    {
        TPseudoTerminal pty;
        QVERIFY(pty.Open());
        TPortProbe probe(pty.DevicePath(), false);
        int events = 0;
        probe.Port.OnRxChar = [&](int32_t) { ++events; }; // never reads
        probe.Port.OpenPort();
        // More than the port's buffer holds: the rest stays in the driver. Written from another
        // thread, because the driver alone cannot hold it all before the port takes its share.
        const QByteArray chunk(2048, 'z');
        const qsizetype sent = TComPort::InputBufferLimit + 2048; // the tty itself holds 4095 more
        std::atomic<bool> written{false};
        std::thread writer([&] {
            bool ok = true;
            for (qsizetype n = 0; n < sent && ok; n += chunk.size())
                ok = pty.Write(chunk);
            written = ok;
        });
        const auto joinWriter = qScopeGuard([&] { writer.join(); });
        QTRY_VERIFY2_WITH_TIMEOUT(probe.Port.PendingInputCount() == sent, qPrintable(QString::number(probe.Port.PendingInputCount())), 5000);
        QVERIFY(written);
        const int eventsWhenFull = events;
        const double before = ProcessCpuMs();
        QTest::qWait(300); // fixed span on purpose: nothing may happen in it
        QVERIFY2(ProcessCpuMs() - before < 50, qPrintable(QString::number(ProcessCpuMs() - before)));
        QVERIFY(events <= eventsWhenFull + 1);
        // Reading makes room; the rest arrives.
        qsizetype read = 0;
        QTRY_VERIFY_WITH_TIMEOUT((read += probe.Port.ReadBytes(probe.Port.PendingInputCount()).size()) == sent, 5000);
    }

    void baudTextsOpenAtTheirRate_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("speed");
        QTest::newRow("115200") << "115200" << 115200;
        QTest::newRow("0 is the custom rate") << "0" << 9600;
        QTest::newRow("letters") << "abc" << 9600;
        QTest::newRow("empty") << "" << 9600;
        QTest::newRow("unlisted number") << "12345" << 9600;
        QTest::newRow("57600") << "57600" << 57600;
        QTest::newRow("110") << "110" << 110;
        QTest::newRow("14400 has no B-constant") << "14400" << 14400;
        QTest::newRow("256000 has no B-constant") << "256000" << 256000;
    }
    void baudTextsOpenAtTheirRate()
    {
        QFETCH(QString, text);
        QFETCH(int, speed);
        TPseudoTerminal pty;
        QVERIFY(pty.Open());
        TPortProbe probe(pty.DevicePath());
        probe.Port.SetBaudRate(BaudTextToRate(StrToIntDef(text, 9600)));
        probe.Port.OpenPort();
        int32_t actual = 0;
        QCOMPARE(SerialBackend::ReadLineSpeed(probe.Port.Handle(), actual), 0);
        QCOMPARE(actual, speed);
        // Changing the rate while open applies it at once.
        probe.Port.SetBaudRate(TBaudRate::br38400);
        QCOMPARE(SerialBackend::ReadLineSpeed(probe.Port.Handle(), actual), 0);
        QCOMPARE(actual, 38400);
    }

    void rateSettings()
    {
        const QList<QPair<int, TBaudRate>> table = {
            {110, TBaudRate::br110},       {300, TBaudRate::br300},       {600, TBaudRate::br600},
            {1200, TBaudRate::br1200},     {2400, TBaudRate::br2400},     {4800, TBaudRate::br4800},
            {9600, TBaudRate::br9600},     {14400, TBaudRate::br14400},   {19200, TBaudRate::br19200},
            {38400, TBaudRate::br38400},   {56000, TBaudRate::br56000},   {57600, TBaudRate::br57600},
            {115200, TBaudRate::br115200}, {128000, TBaudRate::br128000}, {256000, TBaudRate::br256000},
        };
        for (const auto& [value, rate] : table) {
            QCOMPARE(BaudTextToRate(value), rate);
            QCOMPARE(BaudRateValue(rate), value);
        }
        QCOMPARE(BaudTextToRate(0), TBaudRate::brCustom);
        QCOMPARE(BaudRateValue(TBaudRate::brCustom), 9600);
        for (int other : {-9600, 1, 12345, 230400, 2147483647})
            QCOMPARE(BaudTextToRate(other), TBaudRate::br9600);
    }

    void devicesThatCannotBeOpened_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing device") << "/dev/ttyNoSuchDevice7" << "Unable to open com port (Error: 2)";
        QTest::newRow("empty path") << "" << "Unable to open com port (Error: 2)";
        QTest::newRow("regular file") << "FILE" << "Unable to open com port (Error: 25)";
        QTest::newRow("/dev/null is no tty") << "/dev/null" << "Unable to open com port (Error: 25)";
        QTest::newRow("directory") << "DIR" << "Unable to open com port (Error: 21)";
    }
    void devicesThatCannotBeOpened()
    {
        QFETCH(QString, device);
        QFETCH(QString, message);
        QTemporaryDir dir;
        if (device == "FILE") {
            device = dir.filePath("notatty");
            QFile f(device);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("data");
        } else if (device == "DIR") {
            device = dir.path();
        }
        // Event threads of earlier ports end at their own pace, closing what they hold.
        QTRY_COMPARE_WITH_TIMEOUT(CountThreads(), 0, 5000);
        const int fds = CountOpenDescriptors();
        const int threads = CountThreads();
        TPortProbe probe(device);
        QCOMPARE(OpenError(probe.Port), message);
        QVERIFY(!probe.Port.Connected());
        QCOMPARE(probe.Port.Handle(), -1);
        QCOMPARE(probe.Opened, 0);
        QVERIFY(probe.Links.isEmpty());
        QCOMPARE(CountOpenDescriptors(), fds);
        QCOMPARE(CountThreads(), threads);
    }

    void closedPortRefusesReadAndWrite()
    {
        TComPort port;
        const auto codeOf = [](const std::function<void()>& call) {
            try {
                call();
            } catch (const EComPort& e) {
                return e.Message();
            }
            return QString();
        };
        QCOMPARE(codeOf([&] { port.ReadBytes(5); }), QStringLiteral("Port Not Open"));
        QCOMPARE(codeOf([&] { port.WriteBytes("(P01,0)"); }), QStringLiteral("Port Not Open"));
        QCOMPARE(codeOf([&] { port.PendingInputCount(); }), QStringLiteral("Port Not Open"));
        QCOMPARE(port.WriteBytes(QByteArray()), 0); // nothing to write is no failure
    }

    void errorTexts()
    {
        const QList<QPair<TComError, QString>> table = {
            {TComError::OpenFailed, "Unable to open com port"},
            {TComError::WriteFailed, "WriteFile function failed"},
            {TComError::ReadFailed, "ReadFile function failed"},
            {TComError::PurgeFailed, "PurgeComm function failed"},
            {TComError::SetStateFailed, "SetCommState function failed"},
            {TComError::SetTimeoutsFailed, "SetCommTimeouts failed"},
            {TComError::SetupComFailed, "SetupComm function failed"},
            {TComError::ClearComFailed, "ClearCommError function failed"},
            {TComError::ModemStatusFailed, "GetCommModemStatus function failed"},
            {TComError::PortNotOpen, "Port Not Open"},
        };
        for (const auto& [code, text] : table) {
            QCOMPARE(EComPort(code).Message(), text);
            QCOMPARE(EComPort(code, 13).Message(), text + " (Error: 13)");
            QCOMPARE(EComPort(code, 13).Code(), code);
        }
        QCOMPARE(int(TComError::PortNotOpen), 24);
        QCOMPARE(int(TComError::ModemStatusFailed), 11);
    }
};

QTEST_GUILESS_MAIN(TestComPort)
#include "test_comport.moc"
