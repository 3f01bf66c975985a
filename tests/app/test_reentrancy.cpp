// Re-entrancy of the whole window against the simulated tracker on a real pseudo-terminal: user
// actions that arrive while a handler of the window is still on the stack, running a nested
// message loop. Two such places: the 50 ms pause between two commands of Read All (inside the
// port's hand-over of the answer before it), and the "Operation success !" box shown after the
// last answer (also inside that hand-over). Into each comes a second Read, a port close, a
// language change or a window close. Whatever arrives: at most one command is in flight, nothing
// is used after it is freed (the test runs under AddressSanitizer too), and a window close is
// handled only once the nested loop has returned.
#include "app/FrmMain.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "core/NestedLoops.h"
#include "diag/LogView.h"
#include "i18n/Language.h"
#include "sim/SimTracker.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

enum class TAction { SecondRead, PortClose, LanguageChange, WindowClose };
enum class TPlace { Pause, MessageBox };

constexpr int ExchangeTimeoutMs = 15000;
// How long the test's "box" stays open when nothing else is waited for: a user reading it.
constexpr int BoxOpenMs = 120;

const QString TipText = QStringLiteral("Operation success !");
// The language the change switches to, with its words for the log lines.
const QString OtherLanguage = QStringLiteral("reentrant");
const QString OtherSend = QStringLiteral("Enviar");
const QString OtherRead = QStringLiteral("Leer");

QStringList LogLines(TFrmMain& w)
{
    auto* log = w.findChild<TLogView*>(QStringLiteral("mm_Recv"));
    return log ? log->Lines() : QStringList();
}

bool IsSentLine(const QString& line) { return line.contains(QLatin1String(" >> ")); }
bool IsReceivedLine(const QString& line) { return line.contains(QLatin1String(" << ")); }

// The most commands that were out at once, read from the log: every sent line is one more, every
// received line (the tracker answers each command once) one less.
int MaxInFlight(const QStringList& lines)
{
    int inFlight = 0;
    int most = 0;
    for (const QString& line : lines) {
        if (IsSentLine(line))
            most = std::max(most, ++inFlight);
        else if (IsReceivedLine(line))
            inFlight = std::max(0, inFlight - 1);
    }
    return most;
}

int SentLineCount(const QStringList& lines) { return int(std::count_if(lines.cbegin(), lines.cend(), IsSentLine)); }

// A nested loop of the test's own, as a modal box runs one: until the condition holds or the
// time is up.
void RunNestedLoop(int ms, const std::function<bool()>& until)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (until())
            loop.quit();
    });
    poll.start(5);
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

Q_DECLARE_METATYPE(TAction)
Q_DECLARE_METATYPE(TPlace)

class TestReentrancy : public QObject {
    Q_OBJECT

    QTemporaryDir* dir = nullptr;
    QList<TMessageRequest> messages;
    std::function<void(const TMessageRequest&)> onMessage;
    TSimTracker* sim = nullptr;
    // Catalogue numbers of the two log words, taken from the window's own numbering.
    int sendNumber = -1;
    int readNumber = -1;

    void WriteOtherLanguage()
    {
        QVERIFY(QDir().mkpath(LanguageFolder()));
        QFile file(LanguageFilePath(OtherLanguage));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("[language]\r\n%1=%2\r\n%3=%4\r\n")
                       .arg(sendNumber, 3, 10, QLatin1Char('0'))
                       .arg(OtherSend)
                       .arg(readNumber, 3, 10, QLatin1Char('0'))
                       .arg(OtherRead)
                       .toUtf8());
    }

    static void ChooseLanguage(TFrmMain& w, const QString& name)
    {
        const int index = w.cbLanguage->findText(name);
        QVERIFY2(index >= 0, qPrintable(name));
        w.cbLanguage->setCurrentIndex(index);
        emit w.cbLanguage->activated(index); // as the user's choice
    }

private slots:
    void initTestCase()
    {
        dir = new QTemporaryDir;
        SetAppDataFolder(dir->path());
        Dialogs::SetMessageHandler([](const TMessageRequest&) {});
        { TFrmMain numbering; } // start-up numbers every interface text
        for (int i = 0; i < SourceTextCount(); ++i) {
            if (SourceText(i) == QLatin1String("Send") && sendNumber < 0)
                sendNumber = i;
            if (SourceText(i) == QLatin1String("Read") && readNumber < 0)
                readNumber = i;
        }
        QVERIFY(sendNumber >= 0);
        QVERIFY(readNumber >= 0);
        delete dir;
        dir = nullptr;
    }

    void init()
    {
        dir = new QTemporaryDir;
        SetAppDataFolder(dir->path());
        WriteOtherLanguage();
        messages.clear();
        onMessage = nullptr;
        Dialogs::SetMessageHandler([this](const TMessageRequest& r) {
            messages << r;
            if (onMessage)
                onMessage(r);
        });
        sim = new TSimTracker;
        QVERIFY(sim->Start());
    }
    void cleanup()
    {
        Dialogs::SetMessageHandler(nullptr);
        onMessage = nullptr;
        delete sim;
        sim = nullptr;
        delete dir;
        dir = nullptr;
    }

    void actionsInsideNestedLoops_data()
    {
        QTest::addColumn<TAction>("action");
        QTest::addColumn<TPlace>("place");
        QTest::newRow("second Read in the pause") << TAction::SecondRead << TPlace::Pause;
        QTest::newRow("port close in the pause") << TAction::PortClose << TPlace::Pause;
        QTest::newRow("language change in the pause") << TAction::LanguageChange << TPlace::Pause;
        QTest::newRow("window close in the pause") << TAction::WindowClose << TPlace::Pause;
        QTest::newRow("second Read in a message box") << TAction::SecondRead << TPlace::MessageBox;
        QTest::newRow("port close in a message box") << TAction::PortClose << TPlace::MessageBox;
        QTest::newRow("language change in a message box") << TAction::LanguageChange << TPlace::MessageBox;
        QTest::newRow("window close in a message box") << TAction::WindowClose << TPlace::MessageBox;
    }
    void actionsInsideNestedLoops()
    {
        QFETCH(TAction, action);
        QFETCH(TPlace, place);

        // Deleted on close, as a window whose close is not handled with care would be deleted
        // from under its own handler.
        auto* w = new TFrmMain;
        w->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<TFrmMain> window(w);
        const auto deleteWindow = qScopeGuard([&] { delete window.data(); });
        w->AddPort(sim->DevicePath());
        w->btn_Switch->click();
        QVERIFY(w->ComPort.Connected());
        w->cbTipOnOK->setChecked(place == TPlace::MessageBox);
        TCmdQueue& queue = w->Queue();
        // The destructor forgets the port's observers before it closes: only a close made by
        // the window's close handling is seen here.
        bool portClosedByClose = false;
        w->ComPort.AddLink([&](bool connected) { portClosedByClose = portClosedByClose || !connected; });

        // What the action saw while the nested loop still ran.
        bool acted = false;
        int depthAtAction = -1;
        int logLinesAtAction = -1;
        bool closeRefused = false;
        bool aliveInLoop = true;
        bool portOpenInLoop = false;
        const auto act = [&] {
            acted = true;
            depthAtAction = NestedLoops::Depth();
            logLinesAtAction = int(LogLines(*w).size());
            switch (action) {
            case TAction::SecondRead:
                // In the pause the command buttons are off: Read of the alarm page is not one.
                w->findChild<QPushButton*>(place == TPlace::Pause ? "btnAlarmRead" : "btnGprsRead")->click();
                break;
            case TAction::PortClose:
                w->btn_Switch->click();
                break;
            case TAction::LanguageChange:
                ChooseLanguage(*w, OtherLanguage);
                break;
            case TAction::WindowClose:
                closeRefused = !w->close();
                break;
            }
        };
        // After the action, the loop it came into goes on: it must not lose the window.
        const auto watchWhileNested = [&] {
            if (NestedLoops::Depth() == 0)
                return;
            aliveInLoop = aliveInLoop && !window.isNull();
            if (window)
                portOpenInLoop = window->ComPort.Connected();
        };

        QTimer probe;
        if (place == TPlace::Pause) {
            // The pause before the third command: the status answer has retired the second item,
            // the third has not gone out.
            connect(&probe, &QTimer::timeout, this, [&] {
                if (acted) {
                    watchWhileNested();
                    return;
                }
                if (window && queue.IsBusy() && queue.Count() == 14 && !queue.HeadSent())
                    act();
            });
            probe.start(1);
            w->btnReadAll->click();
        } else {
            onMessage = [&](const TMessageRequest& r) {
                if (acted || r.Text != TipText)
                    return;
                act();
                if (action == TAction::SecondRead)
                    RunNestedLoop(ExchangeTimeoutMs, [&] { return sim->ReceivedCommands().size() >= 2; });
                else
                    RunNestedLoop(BoxOpenMs, [] { return false; });
                watchWhileNested();
            };
            w->findChild<QPushButton*>("btnGprsRead")->click();
        }
        QTRY_VERIFY_WITH_TIMEOUT(acted, ExchangeTimeoutMs);
        // Checked here, at the top, so the loop the action came into has returned.
        QVERIFY2(depthAtAction >= 1, "the action did not come inside a nested loop");
        QVERIFY(aliveInLoop);
        const QList<QByteArray> first = place == TPlace::Pause ? QList<QByteArray>{"(P01,0)", "(T01,0)"}
                                                                : QList<QByteArray>{"(P05,0)"};

        switch (action) {
        case TAction::SecondRead: {
            QList<QByteArray> expected = first;
            expected << (place == TPlace::Pause ? QByteArray("(P22,0)") : QByteArray("(P05,0)"));
            QTRY_VERIFY_WITH_TIMEOUT(sim->ReceivedCommands().size() >= expected.size() && !queue.IsBusy() &&
                                         LogLines(*w).filter(QStringLiteral(" << ")).size() == expected.size(),
                                     ExchangeTimeoutMs);
            // The second request took over: the rest of Read All was never sent.
            QCOMPARE(sim->ReceivedCommands(), expected);
            QCOMPARE(queue.Count(), 0);
            const QStringList log = LogLines(*w);
            QCOMPARE(SentLineCount(log), int(expected.size()));
            QCOMPARE(MaxInFlight(log), 1);
            break;
        }
        case TAction::PortClose: {
            QVERIFY(!w->ComPort.Connected());
            QCOMPARE(queue.Count(), 0);
            // An exchange cut off by the close keeps its time-out, which ends it, sending nothing.
            QTRY_VERIFY_WITH_TIMEOUT(!queue.IsBusy(), 5000);
            QCOMPARE(sim->ReceivedCommands(), first);
            const QStringList log = LogLines(*w);
            // Nothing was sent after the close, not even to a closed port.
            QCOMPARE(SentLineCount(log), int(first.size()));
            QCOMPARE(MaxInFlight(log), 1);
            QCOMPARE(w->btn_Switch->text(), QStringLiteral("Open[&O]"));
            // The line works again: the event thread left behind in its hand-over has ended.
            w->btn_Switch->click();
            QVERIFY(w->ComPort.Connected());
            sim->ClearReceivedCommands();
            w->findChild<QPushButton*>("btnGprsRead")->click();
            QTRY_VERIFY_WITH_TIMEOUT(sim->ReceivedCommands().size() == 1 && !queue.IsBusy(), ExchangeTimeoutMs);
            QTRY_COMPARE_WITH_TIMEOUT(LogLines(*w).filter(QStringLiteral(" << ")).size(), int(first.size()) + 1,
                                      ExchangeTimeoutMs);
            break;
        }
        case TAction::LanguageChange: {
            QCOMPARE(CurrentLanguage(), OtherLanguage);
            int expectedSends = 16;
            if (place == TPlace::MessageBox) {
                QTRY_VERIFY_WITH_TIMEOUT(!queue.IsBusy(), ExchangeTimeoutMs);
                w->findChild<QPushButton*>("btnGprsRead")->click();
                expectedSends = 2;
            }
            QTRY_VERIFY_WITH_TIMEOUT(sim->ReceivedCommands().size() == expectedSends && !queue.IsBusy() &&
                                         LogLines(*w).filter(QStringLiteral(" << ")).size() == expectedSends,
                                     ExchangeTimeoutMs);
            const QStringList log = LogLines(*w);
            QCOMPARE(SentLineCount(log), expectedSends);
            QCOMPARE(MaxInFlight(log), 1);
            // Lines before the change carry the English words, lines after it the new ones.
            for (int i = 0; i < log.size(); ++i) {
                const bool after = i >= logLinesAtAction;
                if (IsSentLine(log[i]))
                    QVERIFY2(log[i].contains(after ? " >> " + OtherSend + " : " : QStringLiteral(" >> Send : ")),
                             qPrintable(log[i]));
                if (IsReceivedLine(log[i]) && after)
                    QVERIFY2(log[i].contains(" << " + OtherRead + " : "), qPrintable(log[i]));
            }
            QVERIFY(log.filter(" >> " + OtherSend + " : ").size() >= 1);
            break;
        }
        case TAction::WindowClose:
            // Refused while the loop ran, with the port still open and the window whole; handled
            // (port closed, window deleted) once the loop had returned.
            QVERIFY(closeRefused);
            QVERIFY(portOpenInLoop);
            QTRY_VERIFY_WITH_TIMEOUT(window.isNull(), ExchangeTimeoutMs);
            QCOMPARE(sim->ReceivedCommands(), first);
            QVERIFY(portClosedByClose); // by the close itself, not by the window's destructor
            break;
        }
        const qsizetype tips = std::count_if(messages.cbegin(), messages.cend(),
                                             [](const TMessageRequest& r) { return r.Text == TipText; });
        QVERIFY2(tips <= 2, qPrintable(QString::number(tips)));
        for (const TMessageRequest& r : messages)
            QVERIFY2(r.Text == TipText, qPrintable(r.Text));
    }
};

QTEST_MAIN(TestReentrancy)
#include "test_reentrancy.moc"
