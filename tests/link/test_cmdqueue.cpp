#include "core/AppError.h"
#include "link/CmdQueue.h"
#include "link/FrameCodec.h"

#include <QElapsedTimer>
#include <QtTest>
#include <functional>

namespace {

// Records what the queue tells the window; applies answers like the dispatcher's common steps.
class TRecordingHost : public ICmdQueueHost {
public:
    TCmdQueue* Queue = nullptr;
    bool ButtonsEnabled = false;
    int Total = 1;
    int Complete = 0;
    QStringList Log;
    QList<QByteArray> Dispatched;
    // Optional behaviour inside dispatch, before the advance (e.g. an exception).
    std::function<void(const QByteArray&)> BeforeAdvance;

    void SetCommandButtonsEnabled(bool enabled) override { ButtonsEnabled = enabled; }
    void SetProgressTotal(int total) override { Total = total; }
    void SetProgressComplete(int complete) override { Complete = complete; }
    void LogSeparator() override { Log << QString(); }
    void LogSent(const QString& word, const QByteArray& text) override { Log << word + " >> " + text; }
    void LogReceived(const QString& word, const QByteArray& payload) override { Log << word + " << " + payload; }
    QString Translate(const QString& text) override { return text; }
    void DispatchResponse(const QByteArray& payload) override
    {
        Dispatched << payload;
        const TResponseHead head = ReadResponseHead(payload);
        if (!head.HasTag)
            throw EAppError("answer without a tag");
        if (BeforeAdvance)
            BeforeAdvance(payload);
        Queue->AdvanceCmdQueue();
    }
};

class TFakeChannel : public IByteChannel {
public:
    bool Open = true;
    QList<QByteArray> Written;
    bool IsOpen() const override { return Open; }
    void WriteFrame(const QByteArray& frame) override { Written << frame; }

    QList<QByteArray> Texts() const
    {
        QList<QByteArray> texts;
        for (QByteArray f : Written) {
            QByteArray payload;
            ExtractFrame(f, payload);
            texts << payload;
        }
        return texts;
    }
};

QByteArray Answer(const QByteArray& tagAndValues) { return EncodeFrame("(0123456789," + tagAndValues + ")"); }

} // namespace

class TestCmdQueue : public QObject {
    Q_OBJECT

    TRecordingHost host;
    TFakeChannel channel;
    std::unique_ptr<TCmdQueue> queue;

    void Request(const QList<int>& commands)
    {
        queue->ClearCmdQueue();
        for (int cmd : commands)
            queue->QueueCmd(cmd, 0, false, "");
        queue->StartCmdQueue(true);
    }

private slots:
    void init()
    {
        host = TRecordingHost();
        channel = TFakeChannel();
        queue = std::make_unique<TCmdQueue>(host, channel);
        host.Queue = queue.get();
        queue->tmOverTime().setInterval(100); // the real timer, ten times faster
    }

    void threeItemsAndTheProgress()
    {
        Request({17, 10, 12});
        QCOMPARE(host.Total, 3);
        QCOMPARE(host.Complete, 0);
        QVERIFY(!host.ButtonsEnabled);
        QVERIFY(queue->IsBusy());
        QCOMPARE(channel.Texts(), QList<QByteArray>({"(P17,0)"}));

        queue->AppendReceived(Answer("P17,alias"));
        QCOMPARE(host.Complete, 2);
        QTRY_COMPARE(channel.Written.size(), 2); // after the 50 ms pause
        QVERIFY(!host.ButtonsEnabled);
        queue->AppendReceived(Answer("P10,20"));
        QCOMPARE(host.Complete, 1);
        QTRY_COMPARE(channel.Written.size(), 3);
        QVERIFY(!host.ButtonsEnabled);
        queue->AppendReceived(Answer("P12,-60"));
        QCOMPARE(host.Complete, 0);
        QVERIFY(host.ButtonsEnabled);
        QVERIFY(!queue->IsBusy());
        QCOMPARE(queue->Count(), 0);
        QCOMPARE(channel.Texts(), QList<QByteArray>({"(P17,0)", "(P10,0)", "(P12,0)"}));
        QCOMPARE(host.Log.first(), QString()); // the separator of the request
        QCOMPARE(host.Log.at(1), QString("Send >> (P17,0)"));
        QCOMPARE(host.Log.at(2), QString("Read << (0123456789,P17,alias)"));
    }

    void anAnswerForAnotherCommandRetiresTheHead()
    {
        Request({5, 9});
        queue->AppendReceived(Answer("P31,630"));
        QTRY_COMPARE(channel.Texts().last(), QByteArray("(P09,0)"));
        QCOMPARE(queue->Count(), 1);
    }

    void silenceEndsAfterTheThirdTickAndALateAnswerResumes()
    {
        Request({1, 4, 7});
        QElapsedTimer clock;
        clock.start();
        QTRY_VERIFY_WITH_TIMEOUT(host.ButtonsEnabled, 2000);
        QVERIFY(clock.elapsed() >= 250); // three ticks of 100 ms
        QCOMPARE(queue->OverTimeTicks(), 3);
        QVERIFY(!queue->IsBusy());
        QCOMPARE(queue->Count(), 3); // the queue keeps its items, silently
        QCOMPARE(channel.Written.size(), 1);

        // A late answer retires the first item and sending resumes with the next.
        queue->AppendReceived(Answer("P01,V1"));
        QTRY_COMPARE(channel.Written.size(), 2);
        QCOMPARE(channel.Texts().last(), QByteArray("(P04,0)"));
        QVERIFY(queue->IsBusy());
    }

    void aRunningTimerIsNotRestartedBySends()
    {
        // The second item goes out half-way through a tick of the timer that the first one
        // started. The timer keeps its phase and only the tick count restarts, so the silent
        // item times out at the third tick after its send: between 2 and 3 s later. A timer
        // restarted by the send would end it 3 s after the send or later.
        queue->tmOverTime().setInterval(1000); // the real one-second timer
        Request({1, 4});
        QElapsedTimer sinceStart;
        sinceStart.start();
        QTest::qWait(1450);
        queue->AppendReceived(Answer("P01,V1"));
        QTRY_COMPARE_WITH_TIMEOUT(channel.Written.size(), 2, 1000);
        QElapsedTimer sinceSend;
        sinceSend.start();
        QTRY_VERIFY_WITH_TIMEOUT(!queue->IsBusy(), 5000);
        const qint64 ms = sinceSend.elapsed();
        QVERIFY2(ms >= 2000 && ms < 2900, qPrintable(QString::number(ms)));
        QCOMPARE(queue->Count(), 1); // the unanswered item stays
    }

    void completeFramesSurviveTheBufferCap()
    {
        // Junk fills the buffer almost to its cap; the next read brings a whole answer and more
        // junk past the cap. The answer is cut out before the cap drops anything.
        Request({9});
        queue->AppendReceived(QByteArray(MaxRxBufferSize - 100, 'j'));
        QVERIFY(host.Dispatched.isEmpty());
        queue->AppendReceived(Answer("P09,300") + QByteArray(500, 'j'));
        QCOMPARE(host.Dispatched, QList<QByteArray>({"(0123456789,P09,300)"}));
        QVERIFY(queue->RxBuffer().size() <= MaxRxBufferSize);
    }

    void aClosedPortEmptiesTheQueue()
    {
        channel.Open = false;
        Request({17, 10});
        QVERIFY(channel.Written.isEmpty());
        QCOMPARE(queue->Count(), 0);
        QVERIFY(host.ButtonsEnabled);
        QVERIFY(!queue->IsBusy());
        // Two empty lines (the request's own clearing and the send's) then the sent line.
        QCOMPARE(host.Log, QStringList({QString(), QString(), "Send >> (P17,0)"}));
    }

    void twoAnswersInOneRead()
    {
        Request({9});
        queue->AppendReceived(Answer("P09,300") + Answer("P16,80"));
        QCOMPARE(host.Dispatched, QList<QByteArray>({"(0123456789,P09,300)", "(0123456789,P16,80)"}));
        // The second answer arrived with nothing queued: counter below zero, bar at 0, idle.
        QCOMPARE(queue->ProgressCounter(), -1);
        QCOMPARE(host.Complete, 0);
        QVERIFY(host.ButtonsEnabled);
        // The next request repairs the counter.
        Request({9});
        QCOMPARE(queue->ProgressCounter(), 1);
    }

    void anAnswerWithTooFewFieldsEndsByTimeOut()
    {
        Request({9});
        queue->AppendReceived(EncodeFrame("(0123456789)")); // raises inside dispatch: dropped
        QCOMPARE(host.Dispatched.size(), 1);
        QCOMPARE(queue->Count(), 1);
        QVERIFY(queue->IsBusy());
        QTRY_VERIFY_WITH_TIMEOUT(host.ButtonsEnabled, 2000);
        QCOMPARE(queue->Count(), 1);
        // A frame without parentheses is neither logged nor dispatched.
        const int lines = host.Log.size();
        queue->AppendReceived("!\x06\x09\x03" "abc\x01\x02!");
        QCOMPARE(host.Log.size(), lines);
        QCOMPARE(host.Dispatched.size(), 1);
    }

    void receivedBeforeAnySendIsLoggedAsRead()
    {
        queue->AppendReceived(Answer("P16,50"));
        QCOMPARE(host.Log.last(), QString("Read << (0123456789,P16,50)"));
        queue->ClearCmdQueue();
        queue->QueueCmd(10, 1, false, ",20");
        queue->StartCmdQueue(true);
        queue->AppendReceived(Answer("P10,20"));
        QCOMPARE(host.Log.last(), QString("Write << (0123456789,P10,20)"));
    }

    void aSecondAnswerInsideThePauseDoesNotRetireAnUnsentItem()
    {
        Request({1, 4, 7});
        // The tracker answers the first command twice; the duplicate arrives in the 50 ms pause.
        bool injected = false;
        host.BeforeAdvance = [&](const QByteArray&) {
            if (injected)
                return;
            injected = true;
            QTimer::singleShot(10, [&] { queue->AppendReceived(Answer("P01,V1")); });
        };
        queue->AppendReceived(Answer("P01,V1"));
        QTRY_COMPARE(channel.Written.size(), 2);
        QCOMPARE(host.Dispatched.size(), 2);
        QCOMPARE(queue->Count(), 2); // only the first item was retired
        QCOMPARE(channel.Texts().last(), QByteArray("(P04,0)"));
    }

    void aNewRequestInsideThePauseSendsOnlyItsOwnItem()
    {
        Request({1, 4});
        host.BeforeAdvance = [&](const QByteArray&) {
            host.BeforeAdvance = nullptr;
            QTimer::singleShot(10, [&] { Request({9}); }); // the user presses another Read
        };
        queue->AppendReceived(Answer("P01,V1"));
        QTest::qWait(150); // let the pause run out completely
        QCOMPARE(channel.Texts(), QList<QByteArray>({"(P01,0)", "(P09,0)"}));
        QCOMPARE(queue->Count(), 1);
    }

    void abortEmptiesEverything()
    {
        Request({1, 4});
        queue->AbortCmdQueue();
        QCOMPARE(queue->Count(), 0);
        QCOMPARE(host.Total, 0);
        QCOMPARE(host.Complete, 0);
        QCOMPARE(queue->OverTimeTicks(), 0);
        QVERIFY(!queue->IsBusy());
    }

    void writeFailureLeavesTheExchangeToItsTimeOut()
    {
        struct TFailingChannel : IByteChannel {
            bool IsOpen() const override { return true; }
            void WriteFrame(const QByteArray&) override { throw EAppError("WriteFile function failed (Error: 5)"); }
        } failing;
        TCmdQueue q(host, failing);
        q.tmOverTime().setInterval(100);
        q.ClearCmdQueue();
        q.QueueCmd(9, 0, false, "");
        QVERIFY_THROWS_EXCEPTION(EAppError, q.StartCmdQueue(true)); // the user's action sees it
        QVERIFY(q.IsBusy());
        QTRY_VERIFY_WITH_TIMEOUT(!q.IsBusy(), 2000);
        QVERIFY(host.ButtonsEnabled);
    }
};

QTEST_GUILESS_MAIN(TestCmdQueue)
#include "test_cmdqueue.moc"
