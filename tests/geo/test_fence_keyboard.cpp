// The fence list without a mouse, in the whole window: the arrows select rows and show the fence
// on the map (a real browser against the test's stand-in maps API), Enter opens the editor as a
// double click does, and Tab walks the editor's fields.
#include "support_map_fake_api.h"

#include "app/FrmMain.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "geo/FenceEditPanel.h"
#include "geo/FenceTableModel.h"
#include "geo/GeoFencePage.h"
#include "geo/MapGroup.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

class TestFenceKeyboard : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<TFakeMapsServer> server;
    std::unique_ptr<TFrmMain> w;
    QList<TMessageRequest> messages;

    TGeoFencePage& Page() { return *w->GeoPage; }
    int LivePolygons()
    {
        return EvalInPage(w->rgMap->WebBrowser(), QStringLiteral("__fake.live('Polygon').length")).toInt();
    }
    static QString FocusName()
    {
        QWidget* focus = QApplication::focusWidget();
        return focus ? focus->objectName() : QString();
    }

private slots:
    void initTestCase()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        SetAppDataFolder(dir->path());
        Dialogs::SetMessageHandler([this](const TMessageRequest& r) { messages << r; });
        server = std::make_unique<TFakeMapsServer>();
        w = std::make_unique<TFrmMain>();
        w->show();
        w->pgCtrl->setCurrentWidget(w->tsGeo);
        QApplication::setActiveWindow(w.get());
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QVERIFY(LoadFakeMap(*w->rgMap, *server));
        QVERIFY(w->rgMap->MapLoaded);
    }
    void cleanupTestCase()
    {
        w.reset();
        server.reset();
        Dialogs::SetMessageHandler({});
    }

    void arrowsSelectRowsAndEnterOpensTheEditor()
    {
        TGeoFence& fence = w->GeoFences[2];
        fence.FenceName = "Depot";
        fence.LTLongitude = 113.945617;
        fence.LTLatitude = 22.917922;
        fence.RBLongitude = 114;
        fence.RBLatitude = 22.5;
        Page().Model().RefreshAll();

        QTableView* list = Page().vtList;
        list->setFocus();
        list->setCurrentIndex(Page().Model().index(0, 0));
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(list->selectionModel()->selectedRows().size(), 1);
        QVERIFY(Page().SelectedGeoFence());
        QCOMPARE(Page().SelectedGeoFence()->FenceNo, 3);
        // Letting go of the arrow shows the row's fence, as a click on it does.
        QTRY_COMPARE(LivePolygons(), 1);

        QTest::keyClick(list, Qt::Key_Return);
        TFenceEditPanel& panel = *Page().pnlGeoEdit;
        QVERIFY(panel.isVisible());
        QCOMPARE(panel.txtGeofenceName->text(), QStringLiteral("Depot"));
        QCOMPARE(panel.txtGeofenceRBLongitude->text(), QStringLiteral("114"));
        QVERIFY(!list->isEnabled());
        QVERIFY(w->rgMap->FenceSettingActive());
        QCOMPARE(FocusName(), QStringLiteral("txtGeofenceName"));

        const QStringList fields = {"txtGeofenceLTLongitude", "txtGeofenceLTLatitude", "txtGeofenceRBLongitude",
                                    "txtGeofenceRBLatitude", "btnGeoSave", "btn_Close"};
        QStringList visited;
        for (qsizetype i = 0; i < fields.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << FocusName();
        }
        QCOMPARE(visited, fields);
        QTest::keyClick(panel.btn_Close, Qt::Key_Space);
        QTRY_VERIFY(!panel.isVisible());
        QVERIFY(list->isEnabled());
        QTRY_COMPARE(FocusName(), QStringLiteral("vtList")); // where the editor was opened from
        QVERIFY(!w->rgMap->FenceSettingActive());
        QVERIFY2(messages.isEmpty(), messages.isEmpty() ? "" : qPrintable(messages[0].Text));
    }
};

QTEST_MAIN(TestFenceKeyboard)
#include "test_fence_keyboard.moc"
