// The geo-fence page on its own: the list, the editor panel and every handler, with the real
// command queue writing into a recording channel and a map that records what it is asked to do.
#include "support_geopage.h"

#include "core/Dialogs.h"
#include "geo/FenceEditPanel.h"
#include "geo/FenceTableModel.h"
#include "geo/GeoFenceList.h"
#include "geo/MapGroup.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

namespace {

QByteArray Answer(const QByteArray& values) { return EncodeFrame("(1234567890,P08," + values + ")"); }

} // namespace

class TestGeoFencePage : public QObject {
    Q_OBJECT

    TGeoFenceList fences;
    TRecordingChannel channel;
    TPageHost host;
    TRecordingFenceMap map;
    std::unique_ptr<TCmdQueue> queue;
    std::unique_ptr<TGeoFencePage> page;
    QList<TMessageRequest> messages;

    TFenceEditPanel& Panel() { return *page->pnlGeoEdit; }
    void SelectRows(const QList<int>& rows)
    {
        page->vtList->clearSelection();
        for (int row : rows)
            page->vtList->selectionModel()->select(page->Model().index(row, 0),
                                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    void SetFence(int n, const char* name, double ltLng, double ltLat, double rbLng, double rbLat)
    {
        TGeoFence& f = fences[n - 1];
        f.FenceName = name;
        f.LTLongitude = ltLng;
        f.LTLatitude = ltLat;
        f.RBLongitude = rbLng;
        f.RBLatitude = rbLat;
    }
    QPoint RowPoint(int row) const
    {
        return page->vtList->visualRect(page->Model().index(row, 1)).center();
    }

private slots:
    void init();
    void cleanup();
    void listHasSixTaggedColumnsAndSixtyFourRows();
    void cellTextFollowsTheColumnTagWhereverItIsDragged();
    void readAllAsksForSixtyFourFencesInOneExchange();
    void answerRepaintsItsRow();
    void refusedAnswersLeaveTheExchangeToItsTimeOut_data();
    void refusedAnswersLeaveTheExchangeToItsTimeOut();
    void mapDependentHandlersDoNothingBeforeTheMapIsLoaded();
    void editOpensThePanelOverTheList();
    void editWithoutSelectionOnlyEntersDrawing();
    void doubleClickEditsToo();
    void drawnRectangleFillsTheEditorCorners();
    void saveWritesTheTypedValues();
    void saveRefusesACornerThatIsNotANumber_data();
    void saveRefusesACornerThatIsNotANumber();
    void saveRefusesANameThatWouldBreakTheCommand_data();
    void saveRefusesANameThatWouldBreakTheCommand();
    void saveRefusesCornersOffTheGlobeAndNeverMovesAReadFence();
    void closeLeavesTheRecordAlone();
    void disableSendsZeroCornersAndHidesFences();
    void writeSelectedSendsRowsInListOrder();
    void showAllDrawsEveryNonEmptyFenceAndClearAllHides();
    void rowClickDrawsOnlyTheSelectedNonEmptyFence();
    void keyFilterlessFieldLimitsTheNameToTwentyCharacters();
};

void TestGeoFencePage::init()
{
    fences = TGeoFenceList();
    fences.CreateRecords();
    channel = TRecordingChannel();
    map = TRecordingFenceMap();
    host = TPageHost();
    messages.clear();
    Dialogs::SetMessageHandler([this](const TMessageRequest& r) { messages << r; });
    queue.reset(new TCmdQueue(host, channel));
    page.reset(new TGeoFencePage(fences, *queue));
    host.Queue = queue.get();
    host.Page = page.get();
    page->SetFenceMap(&map);
    page->resize(960, 420);
    page->InitGeoFenceList();
    page->show();
    QVERIFY(QTest::qWaitForWindowExposed(page.get()));
}

void TestGeoFencePage::cleanup()
{
    page.reset();
    queue.reset();
    Dialogs::SetMessageHandler({});
}

void TestGeoFencePage::listHasSixTaggedColumnsAndSixtyFourRows()
{
    QTableView* list = page->vtList;
    QCOMPARE(list->objectName(), QStringLiteral("vtList"));
    QCOMPARE(page->Model().rowCount(), 64);
    QCOMPARE(page->Model().columnCount(), 6);
    const QStringList captions = {"ID", "Name", "Lat-Left Top", "Long-Left Top", "Lat-Right Bottom", "Long-Right Bottom"};
    // Widths follow the contents at the list's font: each column holds its caption's longest word
    // (captions wrap) and a coordinate column the widest coordinate there is.
    const int coordinate = list->fontMetrics().horizontalAdvance(QStringLiteral("-179.999999"));
    QHeaderView* header = list->horizontalHeader();
    for (int tag = 0; tag < 6; ++tag) {
        QCOMPARE(page->Model().headerData(tag, Qt::Horizontal).toString(), captions[tag]);
        int word = 0;
        for (const QString& w : captions[tag].split(' '))
            word = std::max(word, header->fontMetrics().horizontalAdvance(w));
        QVERIFY2(header->sectionSize(tag) > word, qPrintable(captions[tag]));
        if (tag >= 2)
            QVERIFY2(header->sectionSize(tag) > coordinate, qPrintable(captions[tag]));
        QCOMPARE(header->visualIndex(tag), tag); // columns start in tag order
        QCOMPARE(header->sectionResizeMode(tag), QHeaderView::Interactive);
    }
    QVERIFY(header->sectionsMovable());
    QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    QVERIFY(list->styleSheet().contains(QStringLiteral("border-bottom"))); // horizontal lines only
    for (int row = 0; row < 64; ++row) {
        QCOMPARE(fences[row].ListNode, row);
        QCOMPARE(page->vtListGetText(row, 0), QString::number(row + 1));
        for (int tag = 1; tag < 6; ++tag)
            QVERIFY(page->vtListGetText(row, tag).isEmpty()); // zero corners show as empty cells
    }
    QVERIFY(!page->pnlGeoEdit->isVisible());
    QVERIFY(page->vtList->isEnabled());
}

void TestGeoFencePage::cellTextFollowsTheColumnTagWhereverItIsDragged()
{
    SetFence(7, "Depot", 113.945617, 22.917922, 114, 22.5);
    QHeaderView* header = page->vtList->horizontalHeader();
    header->moveSection(5, 0); // "Long-Right Bottom" dragged to the front
    header->moveSection(1, 4);
    QCOMPARE(header->logicalIndexAt(header->sectionViewportPosition(5) + 1), 5);
    const QStringList expected = {"7", "Depot", "22.917922", "113.945617", "22.5", "114"};
    for (int tag = 0; tag < 6; ++tag) {
        QCOMPARE(page->Model().data(page->Model().index(6, tag)).toString(), expected[tag]);
        QCOMPARE(page->vtListGetText(6, tag), expected[tag]);
    }
    QVERIFY(page->vtListGetText(6, -1).isEmpty());
    QVERIFY(page->vtListGetText(64, 0).isEmpty());
}

void TestGeoFencePage::readAllAsksForSixtyFourFencesInOneExchange()
{
    QTest::mouseClick(page->btn_GeoRead, Qt::LeftButton);
    QCOMPARE(host.Total, 64);
    QCOMPARE(queue->Count(), 64);
    QCOMPARE(channel.Texts(), QList<QByteArray>{"(P08,0,1)"});
    for (int n = 1; n <= 64; ++n) {
        const QByteArray lat = QByteArray::number(n % 90).rightJustified(2, '0');
        queue->AppendReceived(Answer(QByteArray::number(n) + ",113" + lat + ".5000," + lat + "30.0000,11400.0000,"
                                     + lat + "00.0000,F" + QByteArray::number(n)));
        QCOMPARE(channel.Written.size(), qMin(n + 1, 64));
    }
    const QList<QByteArray> texts = channel.Texts();
    for (int n = 1; n <= 64; ++n)
        QCOMPARE(texts[n - 1], "(P08,0," + QByteArray::number(n) + ")");
    QCOMPARE(host.Applied, 64);
    QVERIFY(!queue->IsBusy());
    for (int row = 0; row < 64; ++row) {
        QCOMPARE(page->vtListGetText(row, 1), QStringLiteral("F%1").arg(row + 1));
        QVERIFY(!fences[row].IsEmpty());
        QCOMPARE(fences[row].RBLongitude, 114.0);
    }
    QCOMPARE(page->vtListGetText(9, 2), QStringLiteral("10.5"));
}

void TestGeoFencePage::answerRepaintsItsRow()
{
    QSignalSpy changed(&page->Model(), &QAbstractItemModel::dataChanged);
    queue->AppendReceived(Answer("7,11356.7370,2255.0753,11400.0000,2230.0000,Depot"));
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed[0][0].toModelIndex().row(), 6);
    QCOMPARE(changed[0][1].toModelIndex().row(), 6);
    const QStringList row = {page->vtListGetText(6, 0), page->vtListGetText(6, 1), page->vtListGetText(6, 2),
                             page->vtListGetText(6, 3), page->vtListGetText(6, 4), page->vtListGetText(6, 5)};
    QCOMPARE(row, (QStringList{"7", "Depot", "22.917922", "113.945617", "22.5", "114"}));
    queue->AppendReceived(Answer("7,0,0,0,0,"));
    QCOMPARE(page->vtListGetText(6, 0), QStringLiteral("7"));
    for (int tag = 1; tag < 6; ++tag)
        QVERIFY(page->vtListGetText(6, tag).isEmpty());
}

void TestGeoFencePage::refusedAnswersLeaveTheExchangeToItsTimeOut_data()
{
    QTest::addColumn<QByteArray>("values");
    QTest::newRow("fence 0") << QByteArray("0,11356.7370,2255.0753,11400.0000,2230.0000,A");
    QTest::newRow("fence 65") << QByteArray("65,11356.7370,2255.0753,11400.0000,2230.0000,A");
    QTest::newRow("fence x") << QByteArray("x,11356.7370,2255.0753,11400.0000,2230.0000,A");
    QTest::newRow("seven fields") << QByteArray("3,11356.7370,2255.0753,11400.0000,2230.0000");
}

void TestGeoFencePage::refusedAnswersLeaveTheExchangeToItsTimeOut()
{
    QFETCH(QByteArray, values);
    QTest::mouseClick(page->btn_GeoRead, Qt::LeftButton);
    QSignalSpy changed(&page->Model(), &QAbstractItemModel::dataChanged);
    queue->AppendReceived(Answer(values));
    QCOMPARE(host.Refused, 1);
    QCOMPARE(changed.size(), 0);
    QCOMPARE(queue->Count(), 64); // not advanced
    QCOMPARE(channel.Written.size(), 1);
    for (const TGeoFence& f : fences)
        QVERIFY(f.IsEmpty() && f.FenceName.isEmpty());
    QVERIFY(queue->IsBusy());
    QVERIFY(!host.ButtonsEnabled);
    // Three ticks of the one-second timer end the exchange without a message.
    QTRY_VERIFY_WITH_TIMEOUT(!queue->IsBusy(), 4500);
    QVERIFY(host.ButtonsEnabled);
    QCOMPARE(channel.Written.size(), 1);
    QVERIFY(messages.isEmpty());
}

void TestGeoFencePage::mapDependentHandlersDoNothingBeforeTheMapIsLoaded()
{
    map.Loaded = false;
    map.Active = true;
    SetFence(3, "Gate", 1, 2, 3, 4);
    SelectRows({2});
    const QList<std::pair<const char*, std::function<void()>>> handlers = {
        {"Edit", [this] { page->btn_GeoEditClick(); }},
        {"Save", [this] { page->btnGeoSaveClick(); }},
        {"Close", [this] { page->btn_CloseClick(); }},
        {"Disable", [this] { page->btn_GeoDisableClick(); }},
        {"Write Selected", [this] { page->btn_GeoSetAllClick(); }},
        {"Show All", [this] { page->btn_GeoShowAllFenceClick(); }},
        {"Clear All", [this] { page->btn_GeoClearAllClick(); }},
        {"row click", [this] { page->vtListClick(); }},
        {"double click", [this] { page->vtListDblClick(); }},
    };
    for (const auto& [name, handler] : handlers) {
        map.Calls.clear();
        handler();
        QVERIFY2(map.Calls == QStringList{"not loaded"}, name);
        QVERIFY2(channel.Written.isEmpty(), name);
        QVERIFY2(!page->pnlGeoEdit->isVisible(), name);
        QVERIFY2(map.Active, name);
    }
    // Read All needs no map.
    page->btn_GeoReadClick();
    QCOMPARE(channel.Texts(), QList<QByteArray>{"(P08,0,1)"});
}

void TestGeoFencePage::editOpensThePanelOverTheList()
{
    SetFence(7, "Depot", 113.945617, 22.917922, 114, 22.5);
    SelectRows({6, 9});
    map.Active = true; // an earlier drawing is left first
    QTest::mouseClick(page->btn_GeoEdit, Qt::LeftButton);
    QCOMPARE(map.Calls, (QStringList{"leave", "enter"}));
    QVERIFY(map.Active);
    QVERIFY(Panel().isVisible());
    QCOMPARE(Panel().objectName(), QStringLiteral("pnlGeoEdit"));
    QCOMPARE(Panel().title(), QStringLiteral("Geo-Fence ID: [ 7 ]"));
    QCOMPARE(Panel().txtGeofenceName->text(), QStringLiteral("Depot"));
    QCOMPARE(Panel().txtGeofenceLTLongitude->text(), QStringLiteral("113.945617"));
    QCOMPARE(Panel().txtGeofenceLTLatitude->text(), QStringLiteral("22.917922"));
    QCOMPARE(Panel().txtGeofenceRBLongitude->text(), QStringLiteral("114"));
    QCOMPARE(Panel().txtGeofenceRBLatitude->text(), QStringLiteral("22.5"));
    QVERIFY(!page->vtList->isEnabled());
    // Over the middle of the list.
    const QRect list = page->vtList->geometry();
    QVERIFY(qAbs(Panel().geometry().center().x() - list.center().x()) <= 1);
    QVERIFY(qAbs(Panel().geometry().center().y() - list.center().y()) <= 1);

    // An empty fence shows its zero corners as "0".
    QTest::mouseClick(Panel().btn_Close, Qt::LeftButton);
    SelectRows({11});
    page->btn_GeoEditClick();
    QCOMPARE(Panel().title(), QStringLiteral("Geo-Fence ID: [ 12 ]"));
    QCOMPARE(Panel().txtGeofenceName->text(), QString());
    for (QLineEdit* field : Panel().CornerFields())
        QCOMPARE(field->text(), QStringLiteral("0"));
}

void TestGeoFencePage::editWithoutSelectionOnlyEntersDrawing()
{
    page->vtList->clearSelection();
    page->btn_GeoEditClick();
    QCOMPARE(map.Calls, QStringList{"enter"});
    QVERIFY(!Panel().isVisible());
    QVERIFY(page->vtList->isEnabled());
}

void TestGeoFencePage::doubleClickEditsToo()
{
    SetFence(5, "Yard", 10.5, 20.25, 11, 20);
    QTest::mouseClick(page->vtList->viewport(), Qt::LeftButton, {}, RowPoint(4));
    QCOMPARE(map.Calls, (QStringList{"hide", "show 10.500000,20.250000,11.000000,20.000000,3,0000FF,0000FF"}));
    map.Calls.clear();
    QTest::mouseDClick(page->vtList->viewport(), Qt::LeftButton, {}, RowPoint(4));
    QVERIFY(map.Calls.contains(QStringLiteral("enter")));
    QVERIFY(Panel().isVisible());
    QCOMPARE(Panel().title(), QStringLiteral("Geo-Fence ID: [ 5 ]"));
    QCOMPARE(Panel().txtGeofenceName->text(), QStringLiteral("Yard"));
}

void TestGeoFencePage::drawnRectangleFillsTheEditorCorners()
{
    SelectRows({0});
    page->btn_GeoEditClick();
    // The map group reports the two drawn points; the first is the left-top corner.
    emit page->rgMap->OnMapBounds(113.5, 22.25, 114, 22);
    QCOMPARE(Panel().txtGeofenceLTLongitude->text(), QStringLiteral("113.500000"));
    QCOMPARE(Panel().txtGeofenceLTLatitude->text(), QStringLiteral("22.250000"));
    QCOMPARE(Panel().txtGeofenceRBLongitude->text(), QStringLiteral("114.000000"));
    QCOMPARE(Panel().txtGeofenceRBLatitude->text(), QStringLiteral("22.000000"));
}

void TestGeoFencePage::saveWritesTheTypedValues()
{
    SetFence(7, "Old", 1, 2, 3, 4);
    SelectRows({6});
    page->btn_GeoEditClick();
    map.Calls.clear();
    Panel().txtGeofenceName->setText(QStringLiteral("Depot"));
    Panel().txtGeofenceLTLongitude->setText(QStringLiteral("113.945618"));
    Panel().txtGeofenceLTLatitude->setText(QStringLiteral("-33.8688"));
    Panel().txtGeofenceRBLongitude->setText(QStringLiteral(" 114 "));
    Panel().txtGeofenceRBLatitude->setText(QStringLiteral("+22.5"));
    QTest::mouseClick(Panel().btnGeoSave, Qt::LeftButton);
    QCOMPARE(map.Calls, QStringList{"leave"});
    QCOMPARE(channel.Texts(), QList<QByteArray>{"(P08,1,7,11356.7371,-3352.1280,11400.0000,2230.0000,Depot)"});
    QCOMPARE(host.Total, 1);
    // The record changes at once, before any answer.
    QCOMPARE(fences[6].FenceName, QByteArray("Depot"));
    QCOMPARE(fences[6].LTLatitude, -33.8688);
    QCOMPARE(page->vtListGetText(6, 2), QStringLiteral("-33.8688"));
    QVERIFY(!Panel().isVisible());
    QVERIFY(page->vtList->isEnabled());
    QVERIFY(messages.isEmpty());
}

void TestGeoFencePage::saveRefusesCornersOffTheGlobeAndNeverMovesAReadFence()
{
    // A fence read from the tracker, opened in the editor and saved unchanged, its answer read
    // again: the same texts go out every time.
    QByteArray corners = "11356.7371,5231.1999,11400.0000,-3352.1280";
    for (int round = 0; round < 4; ++round) {
        queue->AppendReceived(Answer("7," + corners + ",Depot"));
        SelectRows({6});
        page->btn_GeoEditClick();
        channel.Written.clear();
        QTest::mouseClick(Panel().btnGeoSave, Qt::LeftButton);
        QCOMPARE(channel.Texts(), QList<QByteArray>{"(P08,1,7," + corners + ",Depot)"});
        queue->AbortCmdQueue();
    }

    // Corners off the globe are refused with a box naming the field, and nothing is sent.
    const struct {
        const char* Field;
        const char* Text;
        const char* Named;
    } refused[] = {
        {"txtGeofenceLTLongitude", "200", "Left Top Longitude"},
        {"txtGeofenceRBLongitude", "-180.000001", "Right Bottom Longitude"},
        {"txtGeofenceLTLatitude", "90.5", "Left Top Latitude"},
        {"txtGeofenceRBLatitude", "-91", "Right Bottom Latitude"},
    };
    for (const auto& r : refused) {
        SetFence(7, "Depot", 113.945617, 22.917922, 114, 22.5);
        SelectRows({6});
        page->btn_GeoEditClick();
        messages.clear();
        channel.Written.clear();
        auto* field = Panel().findChild<QLineEdit*>(r.Field);
        field->setText(QString::fromLatin1(r.Text));
        QTest::mouseClick(Panel().btnGeoSave, Qt::LeftButton);
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages[0].Text.contains(QLatin1String(r.Named)) && messages[0].Text.contains(QLatin1String(r.Text)),
                 qPrintable(messages[0].Text));
        QCOMPARE(messages[0].Icon, TMsgIcon::Error);
        QVERIFY(channel.Written.isEmpty());
        QCOMPARE(fences[6].LTLongitude, 113.945617); // the record keeps its values
        QVERIFY(Panel().isVisible());
        page->btn_CloseClick();
    }
    // The edges themselves are corners.
    SetFence(7, "Edge", 1, 2, 3, 4);
    SelectRows({6});
    page->btn_GeoEditClick();
    messages.clear();
    channel.Written.clear();
    Panel().txtGeofenceLTLongitude->setText(QStringLiteral("-180"));
    Panel().txtGeofenceLTLatitude->setText(QStringLiteral("90"));
    Panel().txtGeofenceRBLongitude->setText(QStringLiteral("180"));
    Panel().txtGeofenceRBLatitude->setText(QStringLiteral("-90"));
    QTest::mouseClick(Panel().btnGeoSave, Qt::LeftButton);
    QVERIFY2(messages.isEmpty(), qPrintable(messages.value(0).Text));
    QCOMPARE(channel.Texts(), QList<QByteArray>{"(P08,1,7,-18000.0000,9000.0000,18000.0000,-9000.0000,Edge)"});
}

void TestGeoFencePage::saveRefusesACornerThatIsNotANumber_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("named");
    QTest::newRow("letters in the left-top longitude") << "txtGeofenceLTLongitude" << "abc" << "Left Top Longitude";
    QTest::newRow("empty left-top latitude") << "txtGeofenceLTLatitude" << "" << "Left Top Latitude";
    QTest::newRow("pasted comma in the right-bottom longitude") << "txtGeofenceRBLongitude" << "114,5"
                                                                 << "Right Bottom Longitude";
    QTest::newRow("two points in the right-bottom latitude") << "txtGeofenceRBLatitude" << "22.5.1"
                                                              << "Right Bottom Latitude";
    QTest::newRow("lone minus sign") << "txtGeofenceLTLongitude" << "-" << "Left Top Longitude";
}

void TestGeoFencePage::saveRefusesACornerThatIsNotANumber()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, named);
    SetFence(7, "Depot", 113.945617, 22.917922, 114, 22.5);
    const TGeoFence before = fences[6];
    SelectRows({6});
    page->btn_GeoEditClick();
    map.Calls.clear();
    queue->QueueCmd(9, 0, false, ""); // left by a stalled exchange; a refusal must not clear it
    Panel().findChild<QLineEdit*>(field)->setText(text);
    QTest::mouseClick(Panel().btnGeoSave, Qt::LeftButton);
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].Text.contains(named), qPrintable(messages[0].Text));
    QCOMPARE(messages[0].Icon, TMsgIcon::Error);
    QVERIFY(channel.Written.isEmpty());
    QCOMPARE(queue->Count(), 1);
    QVERIFY(map.Calls.isEmpty()); // still drawing
    QVERIFY(map.Active);
    QVERIFY(Panel().isVisible());
    QVERIFY(!page->vtList->isEnabled());
    QCOMPARE(fences[6].FenceName, before.FenceName);
    QCOMPARE(fences[6].LTLongitude, before.LTLongitude);
    QCOMPARE(fences[6].LTLatitude, before.LTLatitude);
    QCOMPARE(fences[6].RBLongitude, before.RBLongitude);
    QCOMPARE(fences[6].RBLatitude, before.RBLatitude);
}

void TestGeoFencePage::saveRefusesANameThatWouldBreakTheCommand_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("comma") << "North,Gate";
    QTest::newRow("opening parenthesis") << "Gate(1";
    QTest::newRow("closing parenthesis") << "Gate)";
    QTest::newRow("frame start byte") << "Gate!";
}

void TestGeoFencePage::saveRefusesANameThatWouldBreakTheCommand()
{
    QFETCH(QString, name);
    SelectRows({6});
    page->btn_GeoEditClick();
    // Pasted text passes the key filter; the field takes it as it is.
    Panel().txtGeofenceName->setText(name);
    Panel().txtGeofenceLTLongitude->setText(QStringLiteral("113.5"));
    page->btnGeoSaveClick();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].Text.contains(QStringLiteral("Geo-fence Name")), qPrintable(messages[0].Text));
    QVERIFY(channel.Written.isEmpty());
    QVERIFY(Panel().isVisible());
    QVERIFY(fences[6].FenceName.isEmpty());
    QCOMPARE(fences[6].LTLongitude, 0.0);
}

void TestGeoFencePage::closeLeavesTheRecordAlone()
{
    SetFence(2, "Two", 1, 2, 3, 4);
    SelectRows({1});
    page->btn_GeoEditClick();
    Panel().txtGeofenceName->setText(QStringLiteral("Changed"));
    Panel().txtGeofenceLTLongitude->setText(QStringLiteral("50"));
    map.Calls.clear();
    QTest::mouseClick(Panel().btn_Close, Qt::LeftButton);
    QCOMPARE(map.Calls, QStringList{"leave"});
    QVERIFY(!Panel().isVisible());
    QVERIFY(page->vtList->isEnabled());
    QCOMPARE(fences[1].FenceName, QByteArray("Two"));
    QCOMPARE(fences[1].LTLongitude, 1.0);
    QVERIFY(channel.Written.isEmpty());
    // Closed without drawing mode: nothing to leave.
    map.Calls.clear();
    page->btn_CloseClick();
    QVERIFY(map.Calls.isEmpty());
}

void TestGeoFencePage::disableSendsZeroCornersAndHidesFences()
{
    SetFence(5, "Five", 1, 2, 3, 4);
    SelectRows({4});
    map.Active = true;
    QTest::mouseClick(page->btn_GeoDisable, Qt::LeftButton);
    QCOMPARE(channel.Texts(), QList<QByteArray>{"(P08,1,5,0,0,0,0,)"});
    QCOMPARE(map.Calls, (QStringList{"leave", "hide"}));
    QCOMPARE(fences[4].FenceName, QByteArray("Five")); // until the tracker answers
    QCOMPARE(fences[4].LTLongitude, 1.0);
    queue->AppendReceived(Answer("5,0,0,0,0,"));
    QVERIFY(fences[4].IsEmpty());
    QVERIFY(fences[4].FenceName.isEmpty());

    // Without a selection the queue is cleared and nothing goes out.
    channel.Written.clear();
    map.Calls.clear();
    page->vtList->clearSelection();
    queue->QueueCmd(9, 0, false, "");
    page->btn_GeoDisableClick();
    QCOMPARE(queue->Count(), 0);
    QVERIFY(channel.Written.isEmpty());
    QVERIFY(map.Calls.isEmpty());
}

void TestGeoFencePage::writeSelectedSendsRowsInListOrder()
{
    SetFence(2, "Two", 113.945618, 22.917922, 114, 22.5);
    SetFence(9, "Nine", -0.5, 5.25, 0, 0);
    // The editor's fields play no part: values come from the records.
    Panel().txtGeofenceName->setText(QStringLiteral("Ignored"));
    SelectRows({8, 1}); // row 9 selected first, then row 2
    map.Active = true;
    QTest::mouseClick(page->btn_GeoSetAll, Qt::LeftButton);
    QCOMPARE(map.Calls, QStringList{"leave"});
    QCOMPARE(host.Total, 2);
    QCOMPARE(channel.Texts(), QList<QByteArray>{"(P08,1,2,11356.7371,2255.0753,11400.0000,2230.0000,Two)"});
    queue->AppendReceived(Answer("2,11356.7370,2255.0753,11400.0000,2230.0000,Two"));
    QCOMPARE(channel.Texts().value(1), QByteArray("(P08,1,9,-030.0000,515.0000,000.0000,000.0000,Nine)"));

    // Nothing selected: nothing queued, nothing sent.
    channel.Written.clear();
    page->vtList->clearSelection();
    page->btn_GeoSetAllClick();
    QVERIFY(channel.Written.isEmpty());
    QCOMPARE(queue->Count(), 0);
}

void TestGeoFencePage::showAllDrawsEveryNonEmptyFenceAndClearAllHides()
{
    SetFence(4, "Four", 113.9, 22.9, 114, 22.5);
    SetFence(10, "Ten", 2.5, 48.75, 2.75, 48.5);
    fences[20].FenceName = "named but empty"; // zero corners: never drawn
    map.Active = true;
    QTest::mouseClick(page->rgMap->btn_GeoShowAllFence, Qt::LeftButton);
    QCOMPARE(map.Calls, (QStringList{"hide", "show 113.900000,22.900000,114.000000,22.500000,3,0000FF,0000FF",
                                     "show 2.500000,48.750000,2.750000,48.500000,3,0000FF,0000FF"}));
    QVERIFY(map.Active); // drawing mode is kept
    map.Calls.clear();
    QTest::mouseClick(page->rgMap->btn_GeoClearAll, Qt::LeftButton);
    QCOMPARE(map.Calls, (QStringList{"leave", "hide"}));
    QVERIFY(channel.Written.isEmpty());
    QCOMPARE(fences[3].LTLongitude, 113.9);
}

void TestGeoFencePage::rowClickDrawsOnlyTheSelectedNonEmptyFence()
{
    SetFence(6, "Six", 0, 0, 0, 1e-6); // one corner off zero is enough to be drawn
    QTest::mouseClick(page->vtList->viewport(), Qt::LeftButton, {}, RowPoint(2));
    QCOMPARE(map.Calls, QStringList{"hide"});
    map.Calls.clear();
    QTest::mouseClick(page->vtList->viewport(), Qt::LeftButton, {}, RowPoint(5));
    QCOMPARE(map.Calls, (QStringList{"hide", "show 0.000000,0.000000,0.000000,0.000001,3,0000FF,0000FF"}));
    map.Calls.clear();
    page->vtList->clearSelection();
    page->vtListClick();
    QCOMPARE(map.Calls, QStringList{"hide"});
}

void TestGeoFencePage::keyFilterlessFieldLimitsTheNameToTwentyCharacters()
{
    QCOMPARE(Panel().txtGeofenceName->maxLength(), 20);
    Panel().txtGeofenceName->clear();
    QTest::keyClicks(Panel().txtGeofenceName, QStringLiteral("abcdefghijklmnopqrstu"));
    QCOMPARE(Panel().txtGeofenceName->text(), QStringLiteral("abcdefghijklmnopqrst"));
}

QTEST_MAIN(TestGeoFencePage)
#include "test_geofence_page.moc"
