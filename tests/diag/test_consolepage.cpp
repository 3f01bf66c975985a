#include "core/AppError.h"
#include "core/Clock.h"
#include "core/Dialogs.h"
#include "diag/ConsolePage.h"
#include "diag/DebugMemo.h"
#include "diag/LogLine.h"
#include "diag/LogView.h"
#include "link/CmdQueue.h"
#include "link/FrameCodec.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

namespace {

const QDateTime LastSecondOfJanuary(QDate(2024, 1, 31), QTime(23, 59, 58));

// The window's side of the queue, reduced to what the console touches.
class TQueueSide : public ICmdQueueHost, public IByteChannel {
public:
    std::function<void(const QString&)> Log;
    bool ButtonsEnabled = false;
    bool Open = true;
    QList<QByteArray> Written;
    QString WriteError; // non-empty: the next write fails with it

    void SetCommandButtonsEnabled(bool enabled) override { ButtonsEnabled = enabled; }
    void SetProgressTotal(int) override {}
    void SetProgressComplete(int) override {}
    void LogSeparator() override { Log(QString()); }
    void LogSent(const QString& word, const QByteArray& text) override { Log(FormatSentLine(Clock::Now(), word, text)); }
    void LogReceived(const QString& word, const QByteArray& payload) override
    {
        Log(FormatReceivedLine(Clock::Now(), word, payload));
    }
    QString Translate(const QString& text) override { return text; }
    void DispatchResponse(const QByteArray&) override {}
    bool IsOpen() const override { return Open; }
    void WriteFrame(const QByteArray& frame) override
    {
        if (!WriteError.isEmpty())
            throw EAppError(std::exchange(WriteError, QString()));
        Written << frame;
    }
};

} // namespace

class TestConsolePage : public QObject {
    Q_OBJECT

    TQueueSide side;
    std::unique_ptr<TCmdQueue> queue;
    std::unique_ptr<TConsolePage> page;
    QList<TMessageRequest> messages;
    QString stamp;

    void AppendLogLine(const QString& line)
    {
        GetDebugMemo()->mmDebug->AppendLine(line);
        page->mm_Recv->AppendLine(line);
    }

private slots:
    void init()
    {
        Clock::SetNowOverride([] { return LastSecondOfJanuary; });
        stamp = FormatLogStamp(LastSecondOfJanuary);
        side = TQueueSide();
        side.Log = [this](const QString& line) { AppendLogLine(line); };
        queue = std::make_unique<TCmdQueue>(side, side);
        page = std::make_unique<TConsolePage>(*queue, [this](const QString& line) { AppendLogLine(line); });
        GetDebugMemo()->btn_ClearClick();
        messages.clear();
        Dialogs::SetMessageHandler([this](const TMessageRequest& r) { messages << r; });
    }
    void cleanup()
    {
        page.reset();
        queue.reset();
        Clock::SetNowOverride({});
        Dialogs::SetMessageHandler({});
        Dialogs::SetFileHandler({});
    }

    void ViewKeepsEveryLineIncludingEmptyOnes()
    {
        TLogView view;
        QCOMPARE(view.LineCount(), 0);
        QCOMPARE(view.Lines(), QStringList());
        view.AppendLine("");
        QCOMPARE(view.Lines(), QStringList{""});
        view.AppendLine("");
        view.AppendLine("a");
        view.AppendLine("");
        view.AppendLine("b");
        QCOMPARE(view.Lines(), (QStringList{"", "", "a", "", "b"}));
        QCOMPARE(view.LineCount(), 5);
        view.ClearLog();
        QCOMPARE(view.Lines(), QStringList());
        view.AppendLine("first");
        QCOMPARE(view.Lines(), QStringList{"first"});
        // Appending keeps no undo history: days of logging must not be kept twice.
        QVERIFY(!view.document()->isUndoAvailable());
        QVERIFY(!view.isUndoRedoEnabled());
    }

    void ViewShowsGatheredLinesSoonAndFollowsTheEnd()
    {
        TLogView view;
        view.resize(300, 200);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        for (int i = 0; i < 200; ++i)
            view.AppendLine(QString::number(i));
        // Without anyone asking, the lines reach the document within the gathering interval.
        QTRY_COMPARE_WITH_TIMEOUT(view.document()->blockCount(), 200, 5000);
        QCOMPARE(view.document()->firstBlock().text(), QString("0"));
        QCOMPARE(view.document()->lastBlock().text(), QString("199"));
        QScrollBar* bar = view.verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), bar->maximum());

        // A user who scrolled up to read is not pulled down by new lines.
        bar->setValue(0);
        view.AppendLine("200");
        QTRY_COMPARE_WITH_TIMEOUT(view.document()->blockCount(), 201, 5000);
        QCOMPARE(bar->value(), 0);
        // Back at the end, the view follows again.
        bar->setValue(bar->maximum());
        view.AppendLine("201");
        view.AppendLine("");
        QTRY_COMPARE_WITH_TIMEOUT(view.document()->blockCount(), 203, 5000);
        QCOMPARE(bar->value(), bar->maximum());
        QCOMPARE(view.Lines().mid(199), (QStringList{"199", "200", "201", ""}));

        // Clearing drops lines that were still being gathered.
        view.AppendLine("gone");
        view.ClearLog();
        QCOMPARE(view.LineCount(), 0);
        view.AppendLine("new");
        QTRY_COMPARE_WITH_TIMEOUT(view.document()->toPlainText(), QString("new"), 5000);
    }

    void ControlsAndTexts()
    {
        QCOMPARE(page->findChild<QLabel*>("lbl_AdvOper_ASCIICmd")->text(), QString("ASCII Commands:"));
        QCOMPARE(page->findChild<QPushButton*>("btn_AdvOper_Send")->text(), QString("Send"));
        QCOMPARE(page->findChild<QPushButton*>("btn_AdvOper_Clear")->text(), QString("Clear"));
        QCOMPARE(page->findChild<QPushButton*>("btn_AdvOper_CmdSave")->text(), QString("Save"));
        QVERIFY(page->findChild<QLineEdit*>("edt_Send"));
        QVERIFY(page->findChild<TLogView*>("mm_Recv"));

        TfrmDebugMemo* memo = GetDebugMemo();
        QCOMPARE(GetDebugMemo(), memo); // one window for the run
        QCOMPARE(memo->objectName(), QString("frmDebugMemo"));
        QCOMPARE(memo->windowTitle(), QString("Debug Memo"));
        QCOMPARE(memo->btn_Clear->objectName(), QString("btn_Clear"));
        QCOMPARE(memo->btn_Clear->text(), QString("Clear"));
        QCOMPARE(memo->mmDebug->objectName(), QString("mmDebug"));
        QCOMPARE(memo->mmDebug->font().pixelSize(), 13);
        QVERIFY(!memo->mmDebug->isReadOnly()); // the technician may mark up the debug copy
        QVERIFY(memo->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(memo->isWindow());
        QVERIFY(!memo->testAttribute(Qt::WA_QuitOnClose));
        QCOMPARE(memo->pnlTop->height(), 41);
        QVERIFY(memo->minimumSize().width() < 812 && memo->maximumSize().width() > 812); // sizeable
    }

    void SendWritesTheFrameBesideTheQueue()
    {
        // A write command went out through the queue first; the console does not change its flag.
        queue->ClearCmdQueue();
        queue->QueueCmd(5, 1, false, ",1.2.3.4,80");
        queue->StartCmdQueue(true);
        QCOMPARE(queue->LastRWFlag(), uint8_t(1));
        QVERIFY(queue->IsBusy());
        const qsizetype items = queue->Count();
        side.Written.clear();

        page->edt_Send->setText(" (P05,0) ");
        QTest::mouseClick(page->btn_AdvOper_Send, Qt::LeftButton);
        QCOMPARE(side.Written, QList<QByteArray>{EncodeFrame(" (P05,0) ")});
        QCOMPARE(page->mm_Recv->Lines().last(), stamp + " >> Send :  (P05,0) ");
        QCOMPARE(queue->LastRWFlag(), uint8_t(1));
        QCOMPARE(queue->Count(), items);
        QVERIFY(queue->IsBusy());
        QCOMPARE(page->edt_Send->text(), QString(" (P05,0) ")); // ready to be sent again

        // The answer is logged with the direction of the last queued command.
        queue->AppendReceived(EncodeFrame("(0123456789,P05,1.2.3.4,80)"));
        QCOMPARE(page->mm_Recv->Lines().last(), stamp + " << Write : (0123456789,P05,1.2.3.4,80)");

        // An empty field sends the frame of the empty text.
        page->edt_Send->clear();
        QTest::mouseClick(page->btn_AdvOper_Send, Qt::LeftButton);
        QCOMPARE(side.Written.last(), EncodeFrame(""));
        QCOMPARE(page->mm_Recv->Lines().last(), stamp + " >> Send : ");
        QVERIFY(messages.isEmpty());
        QCOMPARE(GetDebugMemo()->mmDebug->Lines(), page->mm_Recv->Lines());
    }

    void SendWithThePortClosedEndsTheExchange()
    {
        queue->ClearCmdQueue();
        queue->QueueCmd(5, 0, false, "");
        queue->QueueCmd(6, 0, false, "");
        side.Open = true;
        queue->StartCmdQueue(true);
        QVERIFY(queue->IsBusy());
        QVERIFY(!side.ButtonsEnabled);
        page->mm_Recv->ClearLog();
        side.Written.clear();

        side.Open = false;
        page->edt_Send->setText("(T01,0)");
        page->btn_AdvOper_SendClick();
        QCOMPARE(page->mm_Recv->Lines(), (QStringList{stamp + " >> Send : (T01,0)", ""}));
        QVERIFY(side.Written.isEmpty());
        QCOMPARE(queue->Count(), 0);
        QVERIFY(!queue->IsBusy());
        QVERIFY(side.ButtonsEnabled);
        QVERIFY(messages.isEmpty());
    }

    void TextTooLongForTheLengthByteIsRefused_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("sent");
        QTest::newRow("255 bytes: the longest that fits") << QString(255, 'A') << true;
        QTest::newRow("256 bytes") << QString(256, 'A') << false;
        QTest::newRow("1000 bytes") << QString(1000, 'A') << false;
        // 128 characters of two bytes each in the UTF-8 code page: the limit is on bytes.
        QTest::newRow("128 two-byte characters") << QString(128, QChar(0xE9)) << false;
    }
    void TextTooLongForTheLengthByteIsRefused()
    {
        QFETCH(QString, text);
        QFETCH(bool, sent);
        if (QChar(0xE9) == text.at(0) && text.toLocal8Bit().size() <= 255)
            QSKIP("the system code page holds the character in one byte");
        page->edt_Send->setText(text);
        page->btn_AdvOper_SendClick();
        QCOMPARE(side.Written.size(), sent ? 1 : 0);
        QCOMPARE(page->mm_Recv->LineCount(), 1);
        const QString line = page->mm_Recv->Lines().first();
        if (sent) {
            QCOMPARE(line, stamp + " >> Send : " + text);
        } else {
            QVERIFY2(line.startsWith(stamp + " !! Not sent: "), qPrintable(line));
            QVERIFY2(line.contains(QString::number(text.toLocal8Bit().size())), qPrintable(line));
            QVERIFY(!line.contains(" >> "));
        }
        QCOMPARE(GetDebugMemo()->mmDebug->Lines(), page->mm_Recv->Lines());
        QVERIFY(messages.isEmpty());
    }

    void FailedWriteIsShown()
    {
        side.WriteError = "WriteFile function failed (Error: 5)";
        page->edt_Send->setText("(P01,0)");
        page->btn_AdvOper_SendClick();
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages.first().Caption, QString("ERROR"));
        QCOMPARE(messages.first().Text, QString("WriteFile function failed (Error: 5)"));
        QCOMPARE(messages.first().Icon, TMsgIcon::Error);
        // The line was written before the write was tried.
        QCOMPARE(page->mm_Recv->Lines(), QStringList{stamp + " >> Send : (P01,0)"});
    }

    void ClearingOneViewLeavesTheOther()
    {
        for (const char* line : {"", "one", "two"})
            AppendLogLine(line);
        GetDebugMemo()->btn_Clear->click();
        QCOMPARE(GetDebugMemo()->mmDebug->LineCount(), 0);
        QCOMPARE(page->mm_Recv->Lines(), (QStringList{"", "one", "two"}));

        AppendLogLine("three");
        page->btn_AdvOper_Clear->click();
        QCOMPARE(page->mm_Recv->LineCount(), 0);
        QCOMPARE(GetDebugMemo()->mmDebug->Lines(), QStringList{"three"});
    }

    void SaveWritesTheConsoleViewUnderTheStampedName()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QList<TFileRequest> asked;
        QString answer = dir.filePath("Tovrik_Result");
        Dialogs::SetFileHandler([&](const TFileRequest& r) {
            asked << r;
            return answer;
        });
        for (const char* line : {"", "a >> Send : (P05,0)", "b << Read : (1,P05)"})
            AppendLogLine(line);
        GetDebugMemo()->mmDebug->AppendLine("only in the debug window");

        page->btn_AdvOper_CmdSave->click();
        QCOMPARE(asked.size(), 1);
        QVERIFY(asked.first().Save);
        QCOMPARE(asked.first().Filter, QString("TXT DOC|*.txt"));
        QCOMPARE(asked.first().FileName, QString("Tovrik_Result"));
        QVERIFY(!asked.first().ConfirmOverwrite);
        QFile saved(dir.filePath("Tovrik_Result240131 235958.TXT"));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), QByteArray("\r\na >> Send : (P05,0)\r\nb << Read : (1,P05)\r\n"));
        QVERIFY(messages.isEmpty());

        // A typed extension stays; the stamp follows it.
        answer = dir.filePath("log.txt");
        page->btn_AdvOper_CmdSave->click();
        QVERIFY(QFileInfo::exists(dir.filePath("log.txt240131 235958.TXT")));

        // Cancelled: nothing written.
        answer.clear();
        const QStringList before = QDir(dir.path()).entryList(QDir::Files);
        page->btn_AdvOper_CmdSave->click();
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), before);
        QVERIFY(messages.isEmpty());
    }

    void SaveThatCannotBeWrittenShowsTheReason()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString blocker = dir.filePath("file");
        QFile f(blocker);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        Dialogs::SetFileHandler([&](const TFileRequest&) { return blocker + "/Tovrik_Result"; });
        AppendLogLine("kept");
        page->btn_AdvOper_CmdSave->click();
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().Text.contains("Tovrik_Result240131 235958.TXT"), qPrintable(messages.first().Text));
        QCOMPARE(messages.first().Icon, TMsgIcon::Error);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"file"});
        QCOMPARE(page->mm_Recv->Lines(), QStringList{"kept"});

        if (::geteuid() == 0)
            QSKIP("running as root, which may write into a read-only folder");
        messages.clear();
        const QString folder = dir.filePath("readonly");
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        Dialogs::SetFileHandler([&](const TFileRequest&) { return folder + "/Tovrik_Result"; });
        page->btn_AdvOper_CmdSave->click();
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(messages.size(), 1);
        QVERIFY(QDir(folder).isEmpty());
    }

    void DebugWindowShowsWithoutBlockingAndKeepsItsLinesWhenClosed()
    {
        TfrmDebugMemo* memo = GetDebugMemo();
        AppendLogLine("before showing");
        memo->ShowWindow();
        QVERIFY(QTest::qWaitForWindowExposed(memo));
        QVERIFY(!memo->isModal());
        QVERIFY(memo->frameGeometry().width() <= 812 && memo->frameGeometry().width() >= 700);
        QVERIFY(memo->close());
        QVERIFY(!memo->isVisible());
        QCOMPARE(GetDebugMemo(), memo);
        AppendLogLine("while hidden");
        memo->ShowWindow();
        QVERIFY(memo->isVisible());
        QCOMPARE(memo->mmDebug->Lines(), (QStringList{"before showing", "while hidden"}));
        memo->hide();
    }
};

QTEST_MAIN(TestConsolePage)
#include "test_consolepage.moc"
