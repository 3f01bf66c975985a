// The geo-fence page in the whole window: the simulated tracker on a real pseudo-terminal answers
// command 8, and the map page runs in a real browser against the test's stand-in maps API.
#include "support_map_fake_api.h"

#include "app/FrmMain.h"
#include "app/SegmentProgressBar.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "geo/CoordText.h"
#include "geo/FenceEditPanel.h"
#include "geo/FenceTableModel.h"
#include "geo/GeoFencePage.h"
#include "geo/MapGroup.h"
#include "link/FrameCodec.h"
#include "sim/SimTracker.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QWebEngineView>
#include <QtTest>

namespace {

TSimFence SimFence(const char* ltLng, const char* ltLat, const char* rbLng, const char* rbLat, const char* name)
{
    TSimFence f;
    f.LTLongitude = ltLng;
    f.LTLatitude = ltLat;
    f.RBLongitude = rbLng;
    f.RBLatitude = rbLat;
    f.Name = name;
    return f;
}

} // namespace

class TestGeoFenceWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<TSimTracker> sim;
    std::unique_ptr<TFakeMapsServer> server;
    std::unique_ptr<TFrmMain> w;
    QList<TMessageRequest> messages;

    TGeoFencePage& Page() { return *w->GeoPage; }
    TFenceEditPanel& Panel() { return *w->GeoPage->pnlGeoEdit; }
    QVariant Eval(const QString& script) { return EvalInPage(w->rgMap->WebBrowser(), script); }
    int LivePolygons() { return Eval(QStringLiteral("__fake.live('Polygon').length")).toInt(); }
    QList<double> MapCenter()
    {
        const QVariantList c = Eval(QStringLiteral("[__fake.map.getCenter().lat(), __fake.map.getCenter().lng()]")).toList();
        return c.size() == 2 ? QList<double>{c[0].toDouble(), c[1].toDouble()} : QList<double>{};
    }
    void SelectRows(const QList<int>& rows)
    {
        Page().vtList->clearSelection();
        for (int row : rows)
            Page().vtList->selectionModel()->select(Page().Model().index(row, 0),
                                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    void ClickRow(int row)
    {
        const QRect cell = Page().vtList->visualRect(Page().Model().index(row, 1));
        QTest::mouseClick(Page().vtList->viewport(), Qt::LeftButton, {}, cell.center());
    }
    void SetRecord(int n, const char* name, double ltLng, double ltLat, double rbLng, double rbLat)
    {
        TGeoFence& f = w->GeoFences[n - 1];
        f.FenceName = name;
        f.LTLongitude = ltLng;
        f.LTLatitude = ltLat;
        f.RBLongitude = rbLng;
        f.RBLatitude = rbLat;
        Page().Model().RefreshAll();
    }
    void ClearRecords()
    {
        for (TGeoFence& f : w->GeoFences) {
            f.FenceName.clear();
            f.LTLongitude = f.LTLatitude = f.RBLongitude = f.RBLatitude = 0;
        }
        Page().Model().RefreshAll();
    }
    // Waits until the exchange has ended with every item answered.
    bool ExchangeDone(int timeoutMs = 5000)
    {
        return QTest::qWaitFor([this] { return !w->Queue().IsBusy() && w->Queue().Count() == 0; }, timeoutMs);
    }
    static void Type(QLineEdit* field, const QString& text)
    {
        field->clear();
        QTest::keyClicks(field, text);
    }

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void pageHoldsHotSpotOnTopAndMapOnTheRight();
    void readAllFillsEveryRowFromTheTracker();
    void saveChangesTheTrackersFence();
    void disableEmptiesTheTrackersFenceAndHidesDrawings();
    void writeSelectedSendsTheLowerRowFirst();
    void fenceWritesAreVerifiedFromTheirAnswers();
    void refusedAnswersLeaveTheExchangeToItsTimeOut();
    void saveRefusesBadFieldsAndSendsNothing();
    void drawnRectangleFillsTheEditor();
    void showAllEndsOnTheHighestFenceAndRowClickOnEmptyDrawsNothing();
    void enterPressesTheFocusedButtonAndCornersGoOutAsTyped();
    void editBeforeAnyMapNamesTheMapChosen();
};

void TestGeoFenceWindow::initTestCase()
{
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    SetAppDataFolder(dir->path());
    Dialogs::SetMessageHandler([this](const TMessageRequest& r) { messages << r; });
    sim = std::make_unique<TSimTracker>();
    QVERIFY(sim->Start());
    server = std::make_unique<TFakeMapsServer>();
    w = std::make_unique<TFrmMain>();
    w->cbTipOnOK->setChecked(false);
    w->show();
    w->pgCtrl->setCurrentWidget(w->tsGeo);
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    w->AddPort(sim->DevicePath());
    QTest::mouseClick(w->btn_Switch, Qt::LeftButton);
    QVERIFY(w->ComPort.Connected());
    QVERIFY(LoadFakeMap(*w->rgMap, *server));
    QVERIFY(w->rgMap->MapLoaded);
    QVERIFY2(messages.isEmpty(), messages.isEmpty() ? "" : qPrintable(messages[0].Text));
}

void TestGeoFenceWindow::init()
{
    messages.clear();
    QVERIFY(ExchangeDone());
    sim->SetFaults(TSimFaults());
    sim->ClearReceivedCommands();
    if (Panel().isVisible())
        Page().btn_CloseClick();
    Page().btn_GeoClearAllClick();
}

void TestGeoFenceWindow::cleanupTestCase()
{
    w.reset();
    sim.reset();
    server.reset();
    Dialogs::SetMessageHandler({});
}

void TestGeoFenceWindow::pageHoldsHotSpotOnTopAndMapOnTheRight()
{
    QWidget* hotSpot = w->tsGeo->findChild<QWidget*>(QStringLiteral("gbTmpHotSpot"));
    QVERIFY(hotSpot);
    QCOMPARE(hotSpot->parentWidget(), static_cast<QWidget*>(&Page()));
    QVERIFY(hotSpot->isVisible());
    const QWidget* fenceGroup = Page().gbGeoFence;
    QVERIFY(hotSpot->geometry().bottom() < fenceGroup->geometry().top());
    QCOMPARE(hotSpot->geometry().left(), fenceGroup->geometry().left());
    // The map group takes the right half, beside both.
    const QRect map = w->rgMap->geometry();
    QVERIFY(map.left() > fenceGroup->geometry().right());
    QVERIFY(qAbs(map.width() - Page().width() / 2) < 20);
    QCOMPARE(w->ed_MapLat, w->rgMap->ed_MapLat);
    QCOMPARE(w->ed_googleurl, w->rgMap->ed_googleurl);
    // The four command buttons of the page follow the port: open here, so enabled.
    for (const QPushButton* b : {Page().btn_GeoRead, Page().btn_GeoEdit, Page().btn_GeoDisable, Page().btn_GeoSetAll})
        QVERIFY2(b->isEnabled(), qPrintable(b->objectName()));
}

void TestGeoFenceWindow::readAllFillsEveryRowFromTheTracker()
{
    TSimState state = sim->State();
    for (int i = 0; i < 64; ++i) {
        const QByteArray deg = QByteArray::number(i % 90);
        state.Fences[i] = SimFence("113" + QByteArray::number(10 + i % 50) + ".1234", "-" + deg + "30.0000",
                                   "11400.0000", deg + "00.5000", "Fence" + QByteArray::number(i + 1));
    }
    sim->SetState(state);
    ClearRecords();
    QVERIFY(Page().btn_GeoRead->isEnabled());
    QTest::mouseClick(Page().btn_GeoRead, Qt::LeftButton);
    QCOMPARE(w->rgbBar->TotalParts(), 64);
    QVERIFY(ExchangeDone(15000));
    const QList<QByteArray> received = sim->ReceivedCommands();
    QCOMPARE(received.size(), 64);
    for (int n = 1; n <= 64; ++n)
        QCOMPARE(received[n - 1], "(P08,0," + QByteArray::number(n) + ")");
    for (int i = 0; i < 64; ++i) {
        const TSimFence& s = state.Fences[i];
        const TGeoFence& f = w->GeoFences[i];
        QCOMPARE(f.FenceName, s.Name);
        QCOMPARE(f.LTLongitude, ParseCoord(s.LTLongitude));
        QCOMPARE(f.LTLatitude, ParseCoord(s.LTLatitude));
        QCOMPARE(f.RBLongitude, 114.0);
        QCOMPARE(f.RBLatitude, ParseCoord(s.RBLatitude));
        QCOMPARE(Page().vtListGetText(i, TFenceTableModel::TagName), QString::fromLatin1(s.Name));
        QCOMPARE(Page().vtListGetText(i, TFenceTableModel::TagRBLongitude), QStringLiteral("114"));
    }
    QCOMPARE(Page().vtListGetText(0, TFenceTableModel::TagLTLatitude), QStringLiteral("-0.5"));
    QVERIFY(messages.isEmpty());
}

void TestGeoFenceWindow::saveChangesTheTrackersFence()
{
    SelectRows({6});
    QTest::mouseClick(Page().btn_GeoEdit, Qt::LeftButton);
    QVERIFY(Panel().isVisible());
    QCOMPARE(Panel().title(), QStringLiteral("Geo-Fence ID: [ 7 ]"));
    QVERIFY(w->rgMap->FenceSettingActive());
    Type(Panel().txtGeofenceName, QStringLiteral("Depot"));
    Type(Panel().txtGeofenceLTLongitude, QStringLiteral("113.945618"));
    Type(Panel().txtGeofenceLTLatitude, QStringLiteral("22.917922"));
    Type(Panel().txtGeofenceRBLongitude, QStringLiteral("114"));
    Type(Panel().txtGeofenceRBLatitude, QStringLiteral("-33.8688"));
    QTest::mouseClick(Panel().btnGeoSave, Qt::LeftButton);
    QVERIFY(!Panel().isVisible());
    QVERIFY(Page().vtList->isEnabled());
    QVERIFY(!w->rgMap->FenceSettingActive());
    QVERIFY(ExchangeDone());
    QCOMPARE(sim->ReceivedCommands(), QList<QByteArray>{"(P08,1,7,11356.7371,2255.0753,11400.0000,-3352.1280,Depot)"});
    QCOMPARE(sim->State().Fences[6], SimFence("11356.7371", "2255.0753", "11400.0000", "-3352.1280", "Depot"));
    // The tracker's answer is applied to the row as well: the typed corner comes back unchanged.
    QCOMPARE(Page().vtListGetText(6, TFenceTableModel::TagLTLongitude), QStringLiteral("113.945618"));
    QCOMPARE(Page().vtListGetText(6, TFenceTableModel::TagRBLatitude), QStringLiteral("-33.8688"));
    QVERIFY(messages.isEmpty());
}

void TestGeoFenceWindow::disableEmptiesTheTrackersFenceAndHidesDrawings()
{
    TSimState state = sim->State();
    state.Fences[4] = SimFence("11356.7370", "2255.0753", "11400.0000", "2230.0000", "Five");
    sim->SetState(state);
    SetRecord(5, "Five", 113.945617, 22.917922, 114, 22.5);
    ClickRow(4); // draws fence 5
    QCOMPARE(LivePolygons(), 1);
    // A slow answer shows that the record waits for it.
    TSimFaults slow;
    slow.DelayMs = 1000;
    sim->SetFaults(slow);
    QTest::mouseClick(Page().btn_GeoDisable, Qt::LeftButton);
    QCOMPARE(w->GeoFences[4].FenceName, QByteArray("Five"));
    QCOMPARE(w->GeoFences[4].LTLongitude, 113.945617);
    QCOMPARE(LivePolygons(), 0);
    QVERIFY(ExchangeDone());
    QCOMPARE(sim->ReceivedCommands(), QList<QByteArray>{"(P08,1,5,0,0,0,0,)"});
    QCOMPARE(sim->State().Fences[4], SimFence("0", "0", "0", "0", ""));
    QVERIFY(w->GeoFences[4].IsEmpty());
    QVERIFY(w->GeoFences[4].FenceName.isEmpty());
    QVERIFY(Page().vtListGetText(4, TFenceTableModel::TagName).isEmpty());
}

void TestGeoFenceWindow::writeSelectedSendsTheLowerRowFirst()
{
    SetRecord(2, "Two", 113.945618, 22.917922, 114, 22.5);
    SetRecord(9, "Nine", 2.5, 48.75, 2.75, 48.5);
    SelectRows({8, 1});
    QTest::mouseClick(Page().btn_GeoSetAll, Qt::LeftButton);
    QCOMPARE(w->rgbBar->TotalParts(), 2);
    QVERIFY(ExchangeDone());
    QCOMPARE(sim->ReceivedCommands(),
             (QList<QByteArray>{"(P08,1,2,11356.7371,2255.0753,11400.0000,2230.0000,Two)",
                                "(P08,1,9,230.0000,4845.0000,245.0000,4830.0000,Nine)"}));
    QCOMPARE(sim->State().Fences[1].Name, QByteArray("Two"));
    QCOMPARE(sim->State().Fences[8], SimFence("230.0000", "4845.0000", "245.0000", "4830.0000", "Nine"));
}

void TestGeoFenceWindow::fenceWritesAreVerifiedFromTheirAnswers()
{
    QVERIFY(w->cbVerifyWrite->isChecked());
    SetRecord(3, "Three", 2.5, 48.75, 2.75, 48.5);
    SelectRows({2});
    QTest::mouseClick(Page().btn_GeoSetAll, Qt::LeftButton);
    QVERIFY(ExchangeDone());
    QVERIFY2(messages.isEmpty(), messages.isEmpty() ? "" : qPrintable(messages[0].Text));

    // A tracker that keeps its old fence answers it: one box naming the fence, nothing read.
    TSimFaults ignore;
    ignore.IgnoreWriteCmd = 8;
    sim->SetFaults(ignore);
    sim->ClearReceivedCommands();
    SetRecord(3, "Gate", 2.5, 48.75, 2.75, 48.5);
    SelectRows({2});
    QTest::mouseClick(Page().btn_GeoSetAll, Qt::LeftButton);
    QVERIFY(ExchangeDone());
    QTRY_COMPARE(messages.size(), 1);
    QCOMPARE(sim->ReceivedCommands(), QList<QByteArray>{"(P08,1,3,230.0000,4845.0000,245.0000,4830.0000,Gate)"});
    QCOMPARE(messages[0].Text.split('\n').value(1),
             QString("Geo-fence 3: written \"230.0000,4845.0000,245.0000,4830.0000,Gate\", "
                     "answered \"230.0000,4845.0000,245.0000,4830.0000,Three\""));
}

void TestGeoFenceWindow::refusedAnswersLeaveTheExchangeToItsTimeOut()
{
    ClearRecords();
    TSimFaults silent;
    silent.Silent = true;
    sim->SetFaults(silent);
    QTest::mouseClick(Page().btn_GeoRead, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(sim->ReceivedCommands().size(), 1, 3000);
    const struct {
        const char* name;
        QByteArray payload;
    } answers[] = {
        {"fence 0", "(0123456789,P08,0,11356.7370,2255.0753,11400.0000,2230.0000,A)"},
        {"fence 65", "(0123456789,P08,65,11356.7370,2255.0753,11400.0000,2230.0000,A)"},
        {"fence x", "(0123456789,P08,x,11356.7370,2255.0753,11400.0000,2230.0000,A)"},
        {"seven fields", "(0123456789,P08,1,11356.7370,2255.0753,11400.0000,2230.0000)"},
    };
    for (const auto& a : answers) {
        w->Queue().AppendReceived(EncodeFrame(a.payload));
        QVERIFY2(w->Queue().Count() == 64, a.name);
        QVERIFY2(w->Queue().IsBusy(), a.name);
        for (const TGeoFence& f : w->GeoFences)
            QVERIFY2(f.IsEmpty() && f.FenceName.isEmpty(), a.name);
    }
    QVERIFY(!Page().btn_GeoRead->isEnabled());
    // The exchange ends by its time-out, silently; the unsent reads stay queued.
    QTRY_VERIFY_WITH_TIMEOUT(!w->Queue().IsBusy(), 4500);
    QVERIFY(Page().btn_GeoRead->isEnabled());
    QCOMPARE(w->Queue().Count(), 64);
    QCOMPARE(sim->ReceivedCommands().size(), 1);
    QVERIFY(messages.isEmpty());
    // The next request clears what the stalled one left.
    sim->SetFaults(TSimFaults());
    w->Queue().ClearCmdQueue();
}

void TestGeoFenceWindow::saveRefusesBadFieldsAndSendsNothing()
{
    SetRecord(3, "Gate", 1.5, 2.5, 3.5, 4.5);
    SelectRows({2});
    Page().btn_GeoEditClick();
    QVERIFY(Panel().isVisible());

    // The key filters: "," and "(" cannot be typed into the name, letters not into a corner.
    Type(Panel().txtGeofenceName, QStringLiteral("North,Gate(1)"));
    QCOMPARE(Panel().txtGeofenceName->text(), QStringLiteral("NorthGate1"));
    Type(Panel().txtGeofenceLTLongitude, QStringLiteral("abc12.5.5"));
    QCOMPARE(Panel().txtGeofenceLTLongitude->text(), QStringLiteral("12.5.5"));

    // A corner that is not a number is refused, naming the field.
    QTest::mouseClick(Panel().btnGeoSave, Qt::LeftButton);
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].Text.contains(QStringLiteral("Left Top Longitude")), qPrintable(messages[0].Text));
    QVERIFY(Panel().isVisible());
    QVERIFY(w->rgMap->FenceSettingActive());

    // A pasted name that would break the command text is refused the same way.
    Type(Panel().txtGeofenceLTLongitude, QStringLiteral("12.5"));
    Panel().txtGeofenceName->setText(QStringLiteral("North,Gate"));
    QTest::mouseClick(Panel().btnGeoSave, Qt::LeftButton);
    QCOMPARE(messages.size(), 2);
    QVERIFY2(messages[1].Text.contains(QStringLiteral("Geo-fence Name")), qPrintable(messages[1].Text));
    QVERIFY(Panel().isVisible());

    // No exchange started; the tracker's log below shows that only the mended save went out.
    QVERIFY(!w->Queue().IsBusy());
    QCOMPARE(w->Queue().Count(), 0);
    QCOMPARE(w->GeoFences[2].FenceName, QByteArray("Gate"));
    QCOMPARE(w->GeoFences[2].LTLongitude, 1.5);

    // Mended, the same panel saves.
    Panel().txtGeofenceName->setText(QStringLiteral("North Gate"));
    QTest::mouseClick(Panel().btnGeoSave, Qt::LeftButton);
    QVERIFY(ExchangeDone());
    QCOMPARE(sim->ReceivedCommands(), QList<QByteArray>{"(P08,1,3,1230.0000,230.0000,330.0000,430.0000,North Gate)"});
}

void TestGeoFenceWindow::drawnRectangleFillsTheEditor()
{
    SelectRows({10});
    Page().btn_GeoEditClick();
    QVERIFY(Panel().isVisible());
    // Two clicks on the map: the first point becomes the left-top corner, unordered.
    Eval(QStringLiteral("__fake.click(22.5, 114.0); __fake.click(22.9, 113.9)"));
    QTRY_COMPARE_WITH_TIMEOUT(Panel().txtGeofenceLTLongitude->text(), QStringLiteral("114.000000"), 5000);
    QCOMPARE(Panel().txtGeofenceLTLatitude->text(), QStringLiteral("22.500000"));
    QCOMPARE(Panel().txtGeofenceRBLongitude->text(), QStringLiteral("113.900000"));
    QCOMPARE(Panel().txtGeofenceRBLatitude->text(), QStringLiteral("22.900000"));
    QCOMPARE(Eval(QStringLiteral("__fake.live('Rectangle').length")).toInt(), 1);
    Page().btn_CloseClick();
    QVERIFY(!w->rgMap->FenceSettingActive());
    QCOMPARE(Eval(QStringLiteral("__fake.live('Rectangle').length")).toInt(), 0);
}

void TestGeoFenceWindow::showAllEndsOnTheHighestFenceAndRowClickOnEmptyDrawsNothing()
{
    ClearRecords();
    SetRecord(4, "Four", 113.9, 22.9, 114, 22.5);
    SetRecord(10, "Ten", 2.5, 48.75, 2.75, 48.5);
    QTest::mouseClick(w->rgMap->btn_GeoShowAllFence, Qt::LeftButton);
    QCOMPARE(LivePolygons(), 2);
    QCOMPARE(MapCenter(), (QList<double>{48.75, 2.5}));
    QVERIFY(messages.isEmpty());

    ClickRow(20); // an empty fence
    QCOMPARE(LivePolygons(), 0);
    QCOMPARE(MapCenter(), (QList<double>{48.75, 2.5}));

    ClickRow(3);
    QCOMPARE(LivePolygons(), 1);
    QCOMPARE(MapCenter(), (QList<double>{22.9, 113.9}));
    const QVariantList path = Eval(QStringLiteral("__fake.points(__fake.live('Polygon')[0].getPath().getArray())")).toList();
    QCOMPARE(path.size(), 5);
    QCOMPARE(path[0].toList().value(0).toDouble(), 22.5);
    QCOMPARE(path[0].toList().value(1).toDouble(), 113.9);
    QCOMPARE(Eval(QStringLiteral("__fake.live('Polygon')[0].opts.strokeColor")).toString(), QStringLiteral("#FF0000"));

    QTest::mouseClick(w->rgMap->btn_GeoClearAll, Qt::LeftButton);
    QCOMPARE(LivePolygons(), 0);
}

// Enter on a button that has the keyboard presses it, in the editor as elsewhere. The corners are
// only names: a "left-top" south-east of the "right-bottom" goes out as typed, with the tip.
void TestGeoFenceWindow::enterPressesTheFocusedButtonAndCornersGoOutAsTyped()
{
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    SelectRows({8});
    Page().btn_GeoEdit->setFocus();
    QTest::keyClick(Page().btn_GeoEdit, Qt::Key_Return);
    QVERIFY(Panel().isVisible());
    QCOMPARE(Panel().title(), QStringLiteral("Geo-Fence ID: [ 9 ]"));
    Type(Panel().txtGeofenceName, QStringLiteral("Flip"));
    Type(Panel().txtGeofenceLTLongitude, QStringLiteral("114"));
    Type(Panel().txtGeofenceLTLatitude, QStringLiteral("22.5"));
    Type(Panel().txtGeofenceRBLongitude, QStringLiteral("113.9"));
    Type(Panel().txtGeofenceRBLatitude, QStringLiteral("22.9"));
    w->cbTipOnOK->setChecked(true);
    Panel().btnGeoSave->setFocus();
    QTest::keyClick(Panel().btnGeoSave, Qt::Key_Enter, Qt::KeypadModifier);
    QVERIFY(ExchangeDone());
    w->cbTipOnOK->setChecked(false);
    QVERIFY(!Panel().isVisible());
    const QByteArray sent = "(P08,1,9," + FormatCoord(114) + "," + FormatCoord(22.5) + "," +
                            FormatCoord(113.9) + "," + FormatCoord(22.9) + ",Flip)";
    QCOMPARE(sim->ReceivedCommands(), QList<QByteArray>{sent});
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].Text, QStringLiteral("Operation success !"));
    QCOMPARE(Page().vtListGetText(8, TFenceTableModel::TagLTLatitude), QStringLiteral("22.5"));
    QCOMPARE(Page().vtListGetText(8, TFenceTableModel::TagRBLatitude), QStringLiteral("22.9"));

    // Close by Enter sends nothing; Return on a button of another page reads its group.
    messages.clear();
    sim->ClearReceivedCommands();
    QTest::keyClick(Page().btn_GeoEdit, Qt::Key_Return);
    QVERIFY(Panel().isVisible());
    Panel().btn_Close->setFocus();
    QTest::keyClick(Panel().btn_Close, Qt::Key_Return);
    QVERIFY(!Panel().isVisible());
    QVERIFY(sim->ReceivedCommands().isEmpty());
    w->pgCtrl->setCurrentWidget(w->tsMain);
    auto* gprsRead = w->findChild<QPushButton*>(QStringLiteral("btnGprsRead"));
    QVERIFY(gprsRead);
    gprsRead->setFocus();
    QTest::keyClick(gprsRead, Qt::Key_Return);
    QVERIFY(ExchangeDone());
    QCOMPARE(sim->ReceivedCommands(), QList<QByteArray>{"(P05,0)"});
    // Enter with a modifier is no press; a disabled button takes none.
    sim->ClearReceivedCommands();
    QTest::keyClick(gprsRead, Qt::Key_Return, Qt::ControlModifier);
    gprsRead->setEnabled(false);
    QTest::keyClick(gprsRead, Qt::Key_Return);
    gprsRead->setEnabled(true);
    QTest::qWait(200);
    QVERIFY(sim->ReceivedCommands().isEmpty());
    w->pgCtrl->setCurrentWidget(w->tsGeo);
    QVERIFY(messages.isEmpty());
}

// Before a map has been loaded the map-dependent buttons say which map is missing: the
// catalogue's text for Google, the map's own name otherwise.
void TestGeoFenceWindow::editBeforeAnyMapNamesTheMapChosen()
{
    TFrmMain fresh;
    fresh.show();
    fresh.pgCtrl->setCurrentWidget(fresh.tsGeo);
    QVERIFY(QTest::qWaitForWindowExposed(&fresh));
    Dialogs::SetMessageHandler([this](const TMessageRequest& r) { messages << r; });
    fresh.GeoPage->vtList->selectRow(0);
    const struct {
        TMapSettings Settings;
        QString Text;
    } cases[] = {
        {TMapSettings{TMapProvider::Osm, {}, {}, {}}, QStringLiteral("OpenStreetMap not loading !")},
        {TMapSettings{TMapProvider::Google, QStringLiteral("K"), {}, {}}, QStringLiteral("Google Map not loading !")},
        {TMapSettings{TMapProvider::Tiles, {}, QStringLiteral("https://tiles.example.com/{z}/{x}/{y}.png"), {}},
         QStringLiteral("tiles.example.com not loading !")},
        {TMapSettings{TMapProvider::Tiles, {}, QStringLiteral("file:///srv/tiles/{z}/{x}/{y}.png"), {}},
         QStringLiteral("Own tile server not loading !")},
    };
    for (const auto& c : cases) {
        messages.clear();
        fresh.rgMap->SetMapSettings(c.Settings);
        fresh.GeoPage->btn_GeoEdit->setEnabled(true);
        QTest::mouseClick(fresh.GeoPage->btn_GeoEdit, Qt::LeftButton);
        QTest::mouseClick(fresh.rgMap->btn_GeoShowAllFence, Qt::LeftButton);
        QCOMPARE(messages.size(), 2);
        for (const TMessageRequest& m : messages) {
            QCOMPARE(m.Text, c.Text);
            QCOMPARE(m.Caption, QStringLiteral("Message"));
        }
        QVERIFY(!fresh.GeoPage->pnlGeoEdit->isVisible());
    }
    messages.clear();
}

QTEST_MAIN(TestGeoFenceWindow)
#include "test_geofence_window.moc"
