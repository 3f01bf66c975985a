// The count of the program's own nested loops, and work held back until the last has returned.
#include "core/Dialogs.h"
#include "core/NestedLoops.h"

#include <QEventLoop>
#include <QTimer>
#include <QtTest>

#include <memory>

class TestNestedLoops : public QObject {
    Q_OBJECT

private slots:
    void depthFollowsTheScopes()
    {
        QCOMPARE(NestedLoops::Depth(), 0);
        {
            const TNestedLoopScope outer;
            QCOMPARE(NestedLoops::Depth(), 1);
            {
                const TNestedLoopScope inner;
                QCOMPARE(NestedLoops::Depth(), 2);
            }
            QCOMPARE(NestedLoops::Depth(), 1);
        }
        QCOMPARE(NestedLoops::Depth(), 0);
    }

    void messageBoxesAndFileDialogsCount()
    {
        int depthInBox = -1;
        int depthInDialog = -1;
        Dialogs::SetMessageHandler([&](const TMessageRequest&) { depthInBox = NestedLoops::Depth(); });
        Dialogs::SetFileHandler([&](const TFileRequest&) {
            depthInDialog = NestedLoops::Depth();
            return QString();
        });
        Dialogs::ShowMessage("caption", "text", TMsgIcon::Information);
        Dialogs::AskFileName(TFileRequest{});
        Dialogs::SetMessageHandler(nullptr);
        Dialogs::SetFileHandler(nullptr);
        QCOMPARE(depthInBox, 1);
        QCOMPARE(depthInDialog, 1);
        QCOMPARE(NestedLoops::Depth(), 0);
    }

    void heldBackUntilTheLastLoopReturns()
    {
        QObject context;
        QList<int> ran;
        {
            const TNestedLoopScope outer;
            {
                const TNestedLoopScope inner;
                NestedLoops::WhenAllEnded(&context, [&] { ran << 1; });
                NestedLoops::WhenAllEnded(&context, [&] { ran << 2; });
            }
            // The inner loop has returned, the outer still runs: nothing is posted yet.
            QCoreApplication::processEvents();
            QVERIFY(ran.isEmpty());
        }
        // Posted, not run in the scope's destructor: the code that ran the loop goes on first.
        QVERIFY(ran.isEmpty());
        QTRY_COMPARE(ran, QList<int>({1, 2}));
    }

    void outsideAnyLoopItIsPostedAtOnce()
    {
        QObject context;
        bool ran = false;
        NestedLoops::WhenAllEnded(&context, [&] { ran = true; });
        QVERIFY(!ran);
        QTRY_VERIFY(ran);
    }

    void droppedWhenItsContextIsGone()
    {
        bool ran = false;
        {
            const TNestedLoopScope loop;
            auto context = std::make_unique<QObject>();
            NestedLoops::WhenAllEnded(context.get(), [&] { ran = true; });
            context.reset(); // gone while still held back
        }
        {
            auto context = std::make_unique<QObject>();
            NestedLoops::WhenAllEnded(context.get(), [&] { ran = true; });
            context.reset(); // gone after it was posted
        }
        // A marker posted after both shows that the queue has been worked through.
        QObject marker;
        bool markerRan = false;
        QMetaObject::invokeMethod(&marker, [&] { markerRan = true; }, Qt::QueuedConnection);
        QTRY_VERIFY(markerRan);
        QVERIFY(!ran);
    }

    void aRealEventLoopInsideAScope()
    {
        QObject context;
        bool ran = false;
        QEventLoop loop;
        QTimer::singleShot(0, &loop, [&] {
            NestedLoops::WhenAllEnded(&context, [&] { ran = true; });
            QTimer::singleShot(20, &loop, &QEventLoop::quit);
        });
        {
            const TNestedLoopScope scope;
            loop.exec();
            QVERIFY(!ran); // held back for the 20 ms the loop ran
        }
        QTRY_VERIFY(ran);
    }
};

QTEST_GUILESS_MAIN(TestNestedLoops)
#include "test_nested_loops.moc"
