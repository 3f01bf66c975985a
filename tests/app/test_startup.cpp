#include "app/FrmMain.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "core/IniText.h"

#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

    QTemporaryDir* dir = nullptr;
    QList<TMessageRequest> messages;

private slots:
    void init()
    {
        dir = new QTemporaryDir;
        SetAppDataFolder(dir->path());
        messages.clear();
        Dialogs::SetMessageHandler([this](const TMessageRequest& r) { messages << r; });
    }
    void cleanup()
    {
        delete dir;
        dir = nullptr;
    }

    void firstRunCreatesTheSettingsFile()
    {
        {
            TFrmMain window;
            QCOMPARE(window.ed_MapLat->text(), QString("22.917922"));
            QCOMPARE(window.ed_MapLng->text(), QString("125.156251"));
            QCOMPARE(window.ed_MapZoom->text(), QString("2"));
            QCOMPARE(window.ed_googleurl->text(), QString("maps.googleapis.com"));
            QVERIFY(window.windowTitle().startsWith("Tovrik Assistant[Ver "));
            QVERIFY(window.windowTitle().endsWith("]"));
            QCOMPARE(window.pgCtrl->currentIndex(), 0);
            QCOMPARE(window.size(), QSize(973, 596));
            // Editing the map fields is never saved.
            window.ed_MapLat->setText("99");
            window.close();
        }
        QVERIFY(messages.isEmpty());
        const QByteArray file = ReadAll(SettingsFilePath());
        QCOMPARE(file, QByteArray("[config]\r\nlanguage=english\r\nlat=22.917922\r\nlng=125.156251\r\n"
                                  "zoom=2\r\ngoogleurl=maps.googleapis.com\r\n\r\n"));
    }

    void aFileWithOnlyLatGainsTheOtherKeys()
    {
        QFile f(SettingsFilePath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("; my comment\r\n[Config]\r\nLAT=1.5\r\n[mine]\r\nx=1\r\n");
        f.close();
        TFrmMain window;
        QCOMPARE(window.ed_MapLat->text(), QString("1.5"));
        QCOMPARE(window.ed_MapLng->text(), QString("125.156251"));
        QCOMPARE(window.ed_MapZoom->text(), QString("2"));
        TIniText ini;
        QVERIFY(ini.LoadFile(SettingsFilePath()));
        QCOMPARE(ini.ReadString("config", "lat", ""), QString("1.5"));
        QCOMPARE(ini.ReadString("config", "language", ""), QString("english"));
        QCOMPARE(ini.ReadString("config", "googleurl", ""), QString("maps.googleapis.com"));
        QCOMPARE(ini.ReadString("mine", "x", ""), QString("1")); // other sections survive
        QVERIFY(!ReadAll(SettingsFilePath()).contains("my comment")); // comments vanish
    }

    void aLanguageKeyIsKeptAsItIs()
    {
        QFile f(SettingsFilePath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[config]\r\nlanguage=klingon\r\nzoom=abc\r\n");
        f.close();
        TFrmMain window;
        QCOMPARE(window.ed_MapZoom->text(), QString("abc")); // any value is accepted unchanged
        TIniText ini;
        QVERIFY(ini.LoadFile(SettingsFilePath()));
        QCOMPARE(ini.ReadString("config", "language", ""), QString("klingon"));
    }

    void anUnwritableSettingsFileIsReportedAndTheWindowOpens()
    {
        // A directory where the settings file should be: the save fails (also when running as root).
        QVERIFY(QDir(dir->path()).mkpath(QFileInfo(SettingsFilePath()).fileName()));
        TFrmMain window;
        window.show();
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages[0].Text.contains(SettingsFilePath()));
        QCOMPARE(messages[0].Icon, TMsgIcon::Error);
        QVERIFY(window.isVisible());
        QCOMPARE(window.ed_MapLat->text(), QString("22.917922"));
    }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
