#include "app/FrmMain.h"
#include "core/Clock.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "core/IniText.h"
#include "diag/ConsolePage.h"
#include "diag/DebugMemo.h"
#include "diag/LogLine.h"
#include "diag/LogView.h"
#include "i18n/Language.h"
#include "link/FrameCodec.h"
#include "sim/SimTracker.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

const QDateTime LastSecondOfJanuary(QDate(2024, 1, 31), QTime(23, 59, 58));

} // namespace

class TestConsole : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<TFrmMain> window;
    QList<TMessageRequest> messages;
    QString stamp;

    TLogView* ConsoleView() const { return window->findChild<TLogView*>("mm_Recv"); }
    TLogView* DebugView() const { return GetDebugMemo()->mmDebug; }
    QStringList ConsoleLines() const { return ConsoleView()->Lines(); }

    void TypeAndSend(const QString& text)
    {
        auto* edit = window->findChild<QLineEdit*>("edt_Send");
        edit->clear();
        QTest::keyClicks(edit, text);
        QTest::mouseClick(window->findChild<QPushButton*>("btn_AdvOper_Send"), Qt::LeftButton);
    }

    // Opens the port to a running simulated tracker and empties both log views.
    void OpenPortTo(TSimTracker& sim)
    {
        window->cbTipOnOK->setChecked(false);
        window->findChild<QCheckBox*>("cbVerifyWrite")->setChecked(false); // no read-back after a write
        window->AddPort(sim.DevicePath());
        QTest::mouseClick(window->btn_Switch, Qt::LeftButton);
        QVERIFY(messages.isEmpty());
        QVERIFY(window->ComPort.Connected());
        ConsoleView()->ClearLog();
        DebugView()->ClearLog();
    }

    QList<QWidget*> CommandButtons() const
    {
        QList<QWidget*> buttons;
        for (const QString& name : TFrmMain::CommandButtonNames())
            if (auto* b = window->findChild<QWidget*>(name))
                buttons << b;
        return buttons;
    }

    // Writes a language file translating the log words and makes it current.
    void LoadLanguageWith(const QString& name, const QMap<QString, QString>& words)
    {
        TIniText ini;
        for (auto it = words.begin(); it != words.end(); ++it) {
            (void)::Translate(it.key()); // numbered now if start-up has not met it
            int32_t number = -1;
            for (int32_t n = 0; n < SourceTextCount(); ++n)
                if (SourceText(n) == it.key())
                    number = n;
            QVERIFY(number >= 0);
            ini.WriteString("language", QString::asprintf("%.3d", number), it.value());
        }
        QVERIFY(QDir().mkpath(LanguageFolder()));
        ini.SaveFile(LanguageFilePath(name));
        QVERIFY(QFileInfo::exists(LanguageFilePath(name)));
        LoadLanguage(name);
    }

private slots:
    void init()
    {
        ResetLanguageModule();
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        SetAppDataFolder(dir->path());
        messages.clear();
        const auto record = [this](const TMessageRequest& r) { messages << r; };
        Dialogs::SetMessageHandler(record);
        window = std::make_unique<TFrmMain>();
        // The window installs its own dialogs; the test answers them instead.
        Dialogs::SetMessageHandler(record);
        Dialogs::SetFileHandler([](const TFileRequest&) { return QString(); });
        Clock::SetNowOverride([] { return LastSecondOfJanuary; });
        stamp = FormatLogStamp(LastSecondOfJanuary);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->pgCtrl->setCurrentWidget(window->tsAdvOperation);
        ConsoleView()->ClearLog();
        DebugView()->ClearLog();
        messages.clear();
    }
    void cleanup()
    {
        GetDebugMemo()->hide();
        window.reset();
        Clock::SetNowOverride({});
        Dialogs::SetMessageHandler({});
        Dialogs::SetFileHandler({});
        dir.reset();
        ResetLanguageModule();
    }

    void ConsoleSendWithThePortClosed()
    {
        QVERIFY(ConsoleView());
        QVERIFY(ConsoleView()->isReadOnly());
        const QList<QWidget*> buttons = CommandButtons();
        QVERIFY(!buttons.isEmpty());
        for (QWidget* b : buttons)
            QVERIFY2(!b->isEnabled(), qPrintable(b->objectName())); // disabled until the port opens

        TypeAndSend("(P05,0)");
        QCOMPARE(ConsoleLines(), (QStringList{stamp + " >> Send : (P05,0)", ""}));
        QCOMPARE(DebugView()->Lines(), ConsoleLines());
        for (QWidget* b : buttons)
            QVERIFY2(b->isEnabled(), qPrintable(b->objectName()));
        QVERIFY(!window->Queue().IsBusy());
        QCOMPARE(window->findChild<QLineEdit*>("edt_Send")->text(), QString("(P05,0)"));
        QVERIFY(messages.isEmpty());
    }

    void TextOf256BytesIsRefused()
    {
        for (QWidget* b : CommandButtons())
            QVERIFY(!b->isEnabled());
        TypeAndSend(QString(256, 'P'));
        // Not even the closed port was tried: that would have ended the exchange with an empty
        // line and enabled the buttons.
        QCOMPARE(ConsoleLines().size(), 1);
        QVERIFY2(ConsoleLines().first().startsWith(stamp + " !! Not sent: "), qPrintable(ConsoleLines().first()));
        QVERIFY(ConsoleLines().first().contains("256"));
        QCOMPARE(DebugView()->Lines(), ConsoleLines());
        for (QWidget* b : CommandButtons())
            QVERIFY(!b->isEnabled());
        QVERIFY(messages.isEmpty());
    }

    void RequestWithThePortClosedLogsTwoSeparatorsThenTheCommand()
    {
        TCmdQueue& queue = window->Queue();
        queue.ClearCmdQueue();
        queue.QueueCmd(5, 0, false, "");
        queue.StartCmdQueue(true);
        QCOMPARE(ConsoleLines(), (QStringList{"", "", stamp + " >> Send : (P05,0)"}));
        QCOMPARE(DebugView()->Lines(), ConsoleLines());
    }

    void WriteIsTheDirectionWordAfterAWrite()
    {
        TCmdQueue& queue = window->Queue();
        // Before anything was sent an answer reads as "Read".
        queue.AppendReceived(EncodeFrame("(0123456789,P05,1.2.3.4,80,cmnet,,)"));
        QCOMPARE(ConsoleLines().last(), stamp + " << Read : (0123456789,P05,1.2.3.4,80,cmnet,,)");

        queue.ClearCmdQueue();
        queue.QueueCmd(5, 1, false, ",1.2.3.4,80,cmnet,,");
        queue.StartCmdQueue(true);
        QCOMPARE(queue.LastRWFlag(), uint8_t(1));
        // The receive path of the port: the answer to the write.
        queue.AppendReceived(EncodeFrame("(0123456789,P05,1.2.3.4,80,cmnet,,)"));
        QCOMPARE(ConsoleLines().last(), stamp + " << Write : (0123456789,P05,1.2.3.4,80,cmnet,,)");

        // A console command does not change the word: its answer shows "Write" too.
        TypeAndSend("(P01,0)");
        queue.AppendReceived(EncodeFrame("(0123456789,P01,50)"));
        QCOMPARE(ConsoleLines().last(), stamp + " << Write : (0123456789,P01,50)");
        QCOMPARE(DebugView()->Lines(), ConsoleLines());
    }

    void LanguageChangeChangesTheNextLinesWords()
    {
        TCmdQueue& queue = window->Queue();
        TypeAndSend("(P01,0)");
        queue.AppendReceived(EncodeFrame("(1,P01,50)"));
        const QStringList english = ConsoleLines();
        QCOMPARE(english.first(), stamp + " >> Send : (P01,0)");

        LoadLanguageWith("deutsch", {{"Send", "Senden"}, {"Read", "Lesen"}, {"Write", "Schreiben"}});
        TypeAndSend("(P02,0)");
        queue.AppendReceived(EncodeFrame("(1,P02,8)"));
        queue.ClearCmdQueue();
        queue.QueueCmd(3, 1, false, ",0");
        queue.StartCmdQueue(true); // port closed: the send is logged all the same
        queue.AppendReceived(EncodeFrame("(1,P03,0)"));

        const QStringList lines = ConsoleLines();
        QCOMPARE(lines.mid(0, english.size()), english); // earlier lines stay as they were
        QCOMPARE(lines.mid(english.size()),
                 (QStringList{stamp + " >> Senden : (P02,0)", "", stamp + " << Lesen : (1,P02,8)", "", "",
                              stamp + " >> Senden : (P03,1,0)", stamp + " << Schreiben : (1,P03,0)"}));
    }

    void ReadWithTheSimulatorLogsSeparatorSentAndReceivedInOrder()
    {
        TSimTracker sim;
        TSimState state = sim.State();
        state.IPAddress = "218.18.100.200";
        state.Port = "8011";
        sim.SetState(state);
        QVERIFY(sim.Start());
        OpenPortTo(sim);

        QTest::mouseClick(window->findChild<QPushButton*>("btnGprsRead"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(ConsoleView()->LineCount(), 3, 5000);
        const QString answer = "(0123456789,P05,218.18.100.200,8011,CMNET,,)";
        QCOMPARE(ConsoleLines(), (QStringList{"", stamp + " >> Send : (P05,0)", stamp + " << Read : " + answer}));
        QCOMPARE(DebugView()->Lines(), ConsoleLines());
        QCOMPARE(sim.ReceivedCommands(), QList<QByteArray>{"(P05,0)"});
        // The framed bytes never reach the log: only the command text and the payload.
        for (const QString& line : ConsoleLines())
            QVERIFY(!line.contains(QChar(FrameStartByte)));

        // A write through the queue, then a console read: both answers say "Write".
        QTest::mouseClick(window->findChild<QPushButton*>("btnGprsSet"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(ConsoleLines().last().contains(" << "), 5000);
        QVERIFY2(ConsoleLines().last().startsWith(stamp + " << Write : (0123456789,P05,"), qPrintable(ConsoleLines().last()));
        TypeAndSend("(P09,0)");
        QTRY_VERIFY_WITH_TIMEOUT(ConsoleLines().last().contains(" << "), 5000);
        QCOMPARE(ConsoleLines().last(), stamp + " << Write : (0123456789,P09,300)");
        QCOMPARE(ConsoleLines().at(ConsoleLines().size() - 2), stamp + " >> Send : (P09,0)");
        QVERIFY(messages.isEmpty());
    }

    // A console command stands outside the queue and its time-out: when no answer comes within
    // the console's wait, one line says so; an answered command gets no such line. The field keeps
    // what was sent, so that Send sends it again.
    void ConsoleCommandWithoutAnswerIsSaidOnce()
    {
        TSimTracker sim;
        QVERIFY(sim.Start());
        OpenPortTo(sim);
        auto* console = window->findChild<TConsolePage*>("pnlConsole");
        QVERIFY(console);
        QCOMPARE(int(TConsolePage::DefaultAnswerWaitMs), 3000);
        console->SetAnswerWaitMs(600);

        TypeAndSend("(P01,0)");
        QTRY_VERIFY_WITH_TIMEOUT(ConsoleLines().last().contains(" << "), 5000);
        QVERIFY(console->Waiting().isEmpty());

        // Not a command the tracker knows: it stays silent.
        TypeAndSend("hello world");
        QCOMPARE(console->Waiting(), QStringList{"hello world"});
        QCOMPARE(window->findChild<QLineEdit*>("edt_Send")->text(), QString("hello world"));
        QTest::qWait(300);
        QCOMPARE(ConsoleLines().filter(" !! ").size(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(ConsoleLines().filter(" !! ").size(), 1, 3000);
        QCOMPARE(ConsoleLines().last(), stamp + " !! No answer to \"hello world\" within 1 second.");
        QCOMPARE(DebugView()->Lines(), ConsoleLines());
        QTest::qWait(1000);
        QCOMPARE(ConsoleLines().filter(" !! ").size(), 1);

        // A silent tracker, two commands in a row: a line for each, in the order sent.
        TSimFaults faults;
        faults.Silent = true;
        sim.SetFaults(faults);
        console->SetAnswerWaitMs(2000);
        TypeAndSend("(P05,0)");
        TypeAndSend("(P09,0)");
        QTRY_COMPARE_WITH_TIMEOUT(ConsoleLines().filter(" !! ").size(), 3, 5000);
        const QStringList notices = ConsoleLines().filter(" !! ");
        QCOMPARE(notices[1], stamp + " !! No answer to \"(P05,0)\" within 2 seconds.");
        QCOMPARE(notices[2], stamp + " !! No answer to \"(P09,0)\" within 2 seconds.");
        QCOMPARE(sim.ReceivedCommands().mid(sim.ReceivedCommands().size() - 2),
                 (QList<QByteArray>{"(P05,0)", "(P09,0)"}));

        // With the port closed nothing goes out, so nothing waits.
        QTest::mouseClick(window->btn_Switch, Qt::LeftButton);
        TypeAndSend("(P01,0)");
        QVERIFY(console->Waiting().isEmpty());
        QVERIFY(messages.isEmpty());
    }

    void ConsoleAnswerDuringAQueuedExchangeIsAnAnswerOfThatExchange()
    {
        TSimTracker sim;
        TSimState state = sim.State();
        state.IPAddress = "10.1.2.3";
        sim.SetState(state);
        QVERIFY(sim.Start());
        OpenPortTo(sim);
        // The success tip stays away while the console page is the one shown.
        window->cbTipOnOK->setChecked(true);
        QCOMPARE(window->pgCtrl->currentWidget(), window->tsAdvOperation);
        auto* ip = window->findChild<QLineEdit*>("txtIPAddress");
        QVERIFY(ip);
        QVERIFY(ip->text() != "10.1.2.3");

        // A command the tracker does not know keeps the exchange waiting for its answer.
        TCmdQueue& queue = window->Queue();
        queue.ClearCmdQueue();
        queue.QueueCmd(99, 0, false, "");
        queue.StartCmdQueue(true);
        QVERIFY(queue.IsBusy());
        QTRY_COMPARE_WITH_TIMEOUT(sim.ReceivedCommands(), QList<QByteArray>{"(P99,0)"}, 5000);
        QVERIFY(queue.IsBusy());
        QCOMPARE(queue.Count(), 1);

        // The console's command is answered; the answer is logged, fills the GPRS fields and
        // retires the waiting item, long before the exchange's time-out.
        const int64_t sentAt = Clock::TickCount();
        TypeAndSend("(P05,0)");
        QTRY_COMPARE_WITH_TIMEOUT(ip->text(), QString("10.1.2.3"), 5000);
        QCOMPARE(queue.Count(), 0);
        QVERIFY(!queue.IsBusy());
        QVERIFY(Clock::TickCount() - sentAt < 2500);
        QCOMPARE(ConsoleLines(), (QStringList{"", stamp + " >> Send : (P99,0)", stamp + " >> Send : (P05,0)",
                                              stamp + " << Read : (0123456789,P05,10.1.2.3,8888,CMNET,,)"}));
        for (QWidget* b : CommandButtons())
            QVERIFY2(b->isEnabled(), qPrintable(b->objectName()));
        QCOMPARE(sim.ReceivedCommands(), (QList<QByteArray>{"(P99,0)", "(P05,0)"}));
        QVERIFY(messages.isEmpty());
    }

    void DebugInfoShowsTheDebugWindowWithoutBlocking()
    {
        TypeAndSend("(T01,0)");
        auto* show = window->findChild<QPushButton*>("btnShowMsg");
        QVERIFY(show);
        TfrmDebugMemo* memo = GetDebugMemo();
        QVERIFY(!memo->isVisible());
        QTest::mouseClick(show, Qt::LeftButton); // returns at once: the window is not modal
        QVERIFY(memo->isVisible());
        QVERIFY(!memo->isModal());
        QCOMPARE(memo->mmDebug->Lines(), (QStringList{stamp + " >> Send : (T01,0)", ""}));

        // Closing only hides it; lines logged meanwhile are there when it is shown again.
        QVERIFY(memo->close());
        QVERIFY(!memo->isVisible());
        TypeAndSend("(T01,0)");
        QTest::mouseClick(show, Qt::LeftButton);
        QVERIFY(memo->isVisible());
        QCOMPARE(memo->mmDebug->LineCount(), 4);

        // Clearing the console view leaves the debug window's copy.
        window->findChild<QPushButton*>("btn_AdvOper_Clear")->click();
        QCOMPARE(ConsoleView()->LineCount(), 0);
        QCOMPARE(memo->mmDebug->LineCount(), 4);
        memo->btn_Clear->click();
        QCOMPARE(memo->mmDebug->LineCount(), 0);
        TypeAndSend("x");
        QCOMPARE(ConsoleView()->LineCount(), 2);
        QCOMPARE(memo->mmDebug->LineCount(), 2);
    }
};

QTEST_MAIN(TestConsole)
#include "test_console.moc"
