// Export and Import on the geo-fence page of the whole window: a file written by Export brings
// the fences back, a file with a wrong line is refused in one box naming the line.
#include "app/FrmMain.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "geo/GeoFencePage.h"

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

class TestFenceButtons : public QObject {
    Q_OBJECT

    QTemporaryDir* dir = nullptr;
    QList<TMessageRequest> messages;
    QList<TFileRequest> requests;
    QString nextFile;

    void Click(QPushButton* button, const QString& answer)
    {
        nextFile = answer;
        QTest::mouseClick(button, Qt::LeftButton);
    }

private slots:
    void init()
    {
        dir = new QTemporaryDir;
        SetAppDataFolder(dir->path());
        messages.clear();
        requests.clear();
        Dialogs::SetMessageHandler([this](const TMessageRequest& r) { messages << r; });
        Dialogs::SetFileHandler([this](const TFileRequest& r) {
            requests << r;
            return nextFile;
        });
    }
    void cleanup()
    {
        Dialogs::SetMessageHandler(nullptr);
        Dialogs::SetFileHandler(nullptr);
        delete dir;
    }

    void exportThenImportThroughTheButtons()
    {
        TFrmMain w;
        QCOMPARE(w.btn_GeoExport->text(), QStringLiteral("Export Fences..."));
        // They do not talk to the tracker, so they work with the port closed.
        QVERIFY(w.btn_GeoExport->isEnabled() && w.btn_GeoImport->isEnabled());
        w.GeoFences[6] = TGeoFence{7, "Depot", 113.945617, 22.917922, 114, 22.5, w.GeoFences[6].ListNode};
        w.GeoFences[0].FenceName = "Gate";

        // No extension given: GeoJSON, beside the parameter files.
        Click(w.btn_GeoExport, dir->filePath("param/site"));
        QVERIFY2(messages.isEmpty(), qPrintable(messages.value(0).Text));
        QCOMPARE(requests.last().Folder, dir->filePath("param"));
        QVERIFY(requests.last().Save);
        QVERIFY(QFile::exists(dir->filePath("param/site.geojson")));

        w.GeoFences[6].FenceName = "Changed";
        w.GeoFences[20].LTLatitude = 5;
        Click(w.btn_GeoImport, dir->filePath("param/site.geojson"));
        QVERIFY2(messages.isEmpty(), qPrintable(messages.value(0).Text));
        QCOMPARE(w.GeoPage->vtListGetText(6, 1), QStringLiteral("Depot"));
        QCOMPARE(w.GeoPage->vtListGetText(6, 2), QStringLiteral("22.917922"));
        QCOMPARE(w.GeoPage->vtListGetText(0, 1), QStringLiteral("Gate"));
        QVERIFY(w.GeoFences[20].IsEmpty());

        // A cancelled dialog does nothing.
        Click(w.btn_GeoImport, QString());
        QVERIFY(messages.isEmpty());

        // One wrong line: one error box naming it, and the table as it was.
        const QString bad = dir->filePath("bad.csv");
        QFile f(bad);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("number,name,lt_longitude,lt_latitude,rb_longitude,rb_latitude\n1,A,1,2,3,4\n2,B,1,2,3\n");
        f.close();
        Click(w.btn_GeoImport, bad);
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].Icon, TMsgIcon::Error);
        QVERIFY2(messages[0].Text.contains("\nLine 3: "), qPrintable(messages[0].Text));
        QCOMPARE(w.GeoPage->vtListGetText(0, 1), QStringLiteral("Gate"));
        QCOMPARE(w.GeoFences[6].FenceName, QByteArray("Depot"));

        // A file that cannot be written is reported, not thrown into the event loop.
        messages.clear();
        Click(w.btn_GeoExport, dir->filePath("no/folder/x.csv"));
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages[0].Text.startsWith("Cannot create file"));
    }
};

QTEST_MAIN(TestFenceButtons)
#include "test_fence_buttons.moc"
