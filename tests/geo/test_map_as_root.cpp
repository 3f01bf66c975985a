// The program run as root loads its map. Chromium ends the whole process when it is started as
// root with its sandbox on, so this test starts without QTWEBENGINE_DISABLE_SANDBOX (which the
// other tests get from CTest) and with the program's own application object: if the program did
// not turn the sandbox off itself, the process would end at the first load.
#include "support_map_fake_api.h"

#include "app/Application.h"
#include "app/FrmMain.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "diag/LogView.h"
#include "geo/BrowserSandbox.h"
#include "geo/MapGroup.h"
#include "i18n/Language.h"

#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

class TestMapAsRoot : public QObject {
    Q_OBJECT

private slots:
    void loadingTheMapAsRootKeepsTheProgramAndSaysSoInTheLog()
    {
        if (::geteuid() != 0)
            QSKIP("needs root");
        // The application object made in main() found the variable unset and set it.
        QVERIFY(BrowserSandboxTurnedOffForRoot());
        QCOMPARE(qgetenv("QTWEBENGINE_DISABLE_SANDBOX"), QByteArray("1"));

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        SetAppDataFolder(dir.path());
        QList<TMessageRequest> messages;
        Dialogs::SetMessageHandler([&](const TMessageRequest& r) { messages << r; });
        TFakeMapsServer server;
        ResetLanguageModule();
        TFrmMain w;
        Dialogs::SetMessageHandler([&](const TMessageRequest& r) { messages << r; });
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* log = w.findChild<TLogView*>(QStringLiteral("mm_Recv"));
        QVERIFY(log);
        log->ClearLog();

        // "Load Google Map" with the map chosen in the settings (here the test's tile server).
        TMapSettings tiles = w.rgMap->MapSettings();
        tiles.Provider = TMapProvider::Tiles;
        tiles.TileUrl = server.TileUrl();
        tiles.TileAttribution = QStringLiteral("Test tiles");
        w.rgMap->SetMapSettings(tiles);
        w.pgCtrl->setCurrentWidget(w.tsGeo);
        QTest::mouseClick(w.rgMap->btnLoadMap, Qt::LeftButton);
        QVERIFY(QTest::qWaitFor([&] { return w.rgMap->MapState() == TMapGroup::TMapState::Ready; }, 20000));
        QVERIFY(w.rgMap->MapLoaded);
        QVERIFY(!server.TileRequests().isEmpty());

        // One warning line, and no box.
        const QStringList lines = log->Lines().filter(QStringLiteral("without its sandbox"));
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().contains(QStringLiteral(" !! The program runs as root")), qPrintable(lines.first()));
        QVERIFY2(messages.isEmpty(), messages.isEmpty() ? "" : qPrintable(messages.first().Text));

        // A second load makes no second browser and no second line.
        QTest::mouseClick(w.rgMap->btnLoadMap, Qt::LeftButton);
        QVERIFY(QTest::qWaitFor([&] { return w.rgMap->MapState() == TMapGroup::TMapState::Ready; }, 20000));
        QCOMPARE(log->Lines().filter(QStringLiteral("without its sandbox")).size(), 1);
        Dialogs::SetMessageHandler({});
    }
};

int main(int argc, char* argv[])
{
    // As a root user starts the program from a shell: nothing says how to run the browser.
    // As any other user the sandbox stays as CTest sets it (a container may not allow one).
    if (::geteuid() == 0) {
        qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");
        QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
        flags.replace("--no-sandbox", "");
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    }
    TApplication app(argc, argv);
    TestMapAsRoot test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_map_as_root.moc"
