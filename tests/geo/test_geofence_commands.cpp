// Command 8 on the wire: the texts the program sends for a fence, and what an answer does to the
// 64-fence table.
#include "core/AppError.h"
#include "geo/FenceCommands.h"
#include "geo/FenceTableModel.h"
#include "geo/GeoFenceList.h"
#include "link/FrameCodec.h"

#include <QtTest>

namespace {

TResponseFields Fields(const char* payload)
{
    return ReadResponseHead(QByteArray(payload)).Fields;
}

TGeoFence Depot()
{
    TGeoFence f;
    f.FenceNo = 7;
    f.FenceName = "Depot";
    f.LTLongitude = 113.945618;
    f.LTLatitude = 22.917922;
    f.RBLongitude = 114;
    f.RBLatitude = 22.5;
    return f;
}

// Every visible cell of a record, in tag order.
QStringList Row(const TGeoFence& fence)
{
    QStringList cells;
    for (int tag = 0; tag < TFenceTableModel::TagCount; ++tag)
        cells << TFenceTableModel::CellText(fence, tag);
    return cells;
}

} // namespace

class TestGeoFenceCommands : public QObject {
    Q_OBJECT
private slots:
    void tableHoldsSixtyFourNumberedEmptyFences();
    void requestTexts();
    void answerFillsItsFence();
    void answerWithZeroCornersEmptiesTheFence();
    void refusedAnswersChangeNothing_data();
    void refusedAnswersChangeNothing();
    void answerWithMoreFieldsTakesFieldSevenAsName();
};

void TestGeoFenceCommands::tableHoldsSixtyFourNumberedEmptyFences()
{
    TGeoFenceList fences;
    QCOMPARE(fences.Count(), 0);
    QVERIFY(!fences.FindFence(1)); // no records before start-up makes them
    fences.CreateRecords();
    fences.CreateRecords(); // made once only
    QCOMPARE(fences.Count(), 64);
    for (int i = 0; i < 64; ++i) {
        QCOMPARE(fences[i].FenceNo, i + 1);
        QVERIFY(fences[i].FenceName.isEmpty());
        QVERIFY(fences[i].IsEmpty());
        QCOMPARE(fences.FindFence(i + 1), &fences[i]);
    }
    QVERIFY(!fences.FindFence(0));
    QVERIFY(!fences.FindFence(65));
    QVERIFY(!fences.FindFence(-1));
}

void TestGeoFenceCommands::requestTexts()
{
    QCOMPARE(BuildCmdText(GeoFenceCmdNo, 0, false, ReadFenceParamText(7)), QByteArray("(P08,0,7)"));
    QCOMPARE(BuildCmdText(GeoFenceCmdNo, 0, false, ReadFenceParamText(1)), QByteArray("(P08,0,1)"));
    QCOMPARE(BuildCmdText(GeoFenceCmdNo, 0, false, ReadFenceParamText(64)), QByteArray("(P08,0,64)"));
    QCOMPARE(BuildCmdText(GeoFenceCmdNo, 1, false, WriteFenceParamText(Depot())),
             // 113.945618 is what "11356.7371" reads as, and goes back as that text.
             QByteArray("(P08,1,7,11356.7371,2255.0753,11400.0000,2230.0000,Depot)"));
    QCOMPARE(BuildCmdText(GeoFenceCmdNo, 1, false, DisableFenceParamText(7)), QByteArray("(P08,1,7,0,0,0,0,)"));
    QCOMPARE(BuildCmdText(GeoFenceCmdNo, 1, false, DisableFenceParamText(5)), QByteArray("(P08,1,5,0,0,0,0,)"));

    TGeoFence empty;
    empty.FenceNo = 64;
    QCOMPARE(WriteFenceParamText(empty), QByteArray(",64,000.0000,000.0000,000.0000,000.0000,"));
    TGeoFence south = Depot();
    south.LTLatitude = -33.8688;
    QCOMPARE(WriteFenceParamText(south), QByteArray(",7,11356.7371,-3352.1280,11400.0000,2230.0000,Depot"));
}

void TestGeoFenceCommands::answerFillsItsFence()
{
    TGeoFenceList fences;
    fences.CreateRecords();
    const int32_t n = ApplyFenceAnswerFields(
        fences, Fields("(1234567890,P08,7,11356.7370,2255.0753,11400.0000,2230.0000,Depot)"));
    QCOMPARE(n, 7);
    const TGeoFence& f = fences[6];
    QCOMPARE(f.FenceName, QByteArray("Depot"));
    QVERIFY(qAbs(f.LTLongitude - 113.945617) < 1e-9);
    QVERIFY(qAbs(f.LTLatitude - 22.917922) < 1e-9);
    QCOMPARE(f.RBLongitude, 114.0);
    QCOMPARE(f.RBLatitude, 22.5);
    QCOMPARE(Row(f), (QStringList{"7", "Depot", "22.917922", "113.945617", "22.5", "114"}));
    // Only fence 7 changed.
    for (int i = 0; i < 64; ++i)
        if (i != 6)
            QVERIFY(fences[i].IsEmpty() && fences[i].FenceName.isEmpty());
}

void TestGeoFenceCommands::answerWithZeroCornersEmptiesTheFence()
{
    TGeoFenceList fences;
    fences.CreateRecords();
    ApplyFenceAnswerFields(fences, Fields("(1234567890,P08,3,11356.7370,2255.0753,11400.0000,2230.0000,Gate)"));
    QVERIFY(!fences[2].IsEmpty());
    QCOMPARE(ApplyFenceAnswerFields(fences, Fields("(1234567890,P08,3,0,0,0,0,)")), 3);
    QVERIFY(fences[2].IsEmpty());
    QVERIFY(fences[2].FenceName.isEmpty());
    QCOMPARE(Row(fences[2]), (QStringList{"3", "", "", "", "", ""}));
}

void TestGeoFenceCommands::refusedAnswersChangeNothing_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::newRow("fence number 0") << QByteArray("(1234567890,P08,0,11356.7370,2255.0753,11400.0000,2230.0000,A)");
    QTest::newRow("fence number 65") << QByteArray("(1234567890,P08,65,11356.7370,2255.0753,11400.0000,2230.0000,A)");
    QTest::newRow("fence number not a number") << QByteArray("(1234567890,P08,x,11356.7370,2255.0753,11400.0000,2230.0000,A)");
    QTest::newRow("negative fence number") << QByteArray("(1234567890,P08,-7,11356.7370,2255.0753,11400.0000,2230.0000,A)");
    QTest::newRow("seven fields, name missing") << QByteArray("(1234567890,P08,7,11356.7370,2255.0753,11400.0000,2230.0000)");
    QTest::newRow("no fence number at all") << QByteArray("(1234567890,P08)");
    QTest::newRow("only the identifier") << QByteArray("(1234567890)");
}

void TestGeoFenceCommands::refusedAnswersChangeNothing()
{
    QFETCH(QByteArray, payload);
    TGeoFenceList fences;
    fences.CreateRecords();
    fences[6].FenceName = "Keep";
    fences[6].LTLatitude = 1.5;
    bool raised = false;
    try {
        ApplyFenceAnswerFields(fences, ReadResponseHead(payload).Fields);
    } catch (const EAppError&) {
        raised = true;
    }
    QVERIFY(raised);
    QCOMPARE(fences[6].FenceName, QByteArray("Keep"));
    QCOMPARE(fences[6].LTLatitude, 1.5);
    QCOMPARE(fences[6].LTLongitude, 0.0);
    for (int i = 0; i < 64; ++i)
        if (i != 6)
            QVERIFY(fences[i].IsEmpty() && fences[i].FenceName.isEmpty());
}

void TestGeoFenceCommands::answerWithMoreFieldsTakesFieldSevenAsName()
{
    // A name holding a comma comes back split; field 7 is taken, as the tracker's answer reads.
    TGeoFenceList fences;
    fences.CreateRecords();
    ApplyFenceAnswerFields(fences, Fields("(1234567890,P08,9,0,0,abc,11400.0000,North,Gate)"));
    QCOMPARE(fences[8].FenceName, QByteArray("North"));
    QCOMPARE(fences[8].RBLongitude, 0.0); // "abc" reads as 0
    QCOMPARE(fences[8].RBLatitude, 114.0);
}

QTEST_GUILESS_MAIN(TestGeoFenceCommands)
#include "test_geofence_commands.moc"
