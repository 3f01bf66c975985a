// Where the program keeps its files: beside a writable executable (portable use), or in the
// user's folders when it runs from an installed layout or a folder it cannot write.
#include "core/DataFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

class TestDataFolder : public QObject {
    Q_OBJECT

    QTemporaryDir FHome;

private slots:
    void initTestCase()
    {
        QVERIFY(FHome.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(FHome.filePath("config")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(FHome.filePath("data")));
    }

    void portableBesideAWritableExecutable()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const TDataFolders folders = ResolveDataFolders(dir.path());
        QVERIFY(!folders.PerUser);
        QCOMPARE(folders.Settings, dir.path());
        QCOMPARE(folders.Data, dir.path());
        // A folder named "bin" alone is not an installed layout.
        QVERIFY(QDir(dir.path()).mkpath("bin"));
        QVERIFY(!ResolveDataFolders(dir.filePath("bin")).PerUser);
    }

    void installedLayoutUsesTheUsersFolders()
    {
        // "<prefix>/bin" beside "<prefix>/share/tovrik-assistant": installed, even for a user who
        // could write the folder (root), so that such a run never writes into the system's folders.
        QTemporaryDir prefix;
        QVERIFY(prefix.isValid());
        QVERIFY(QDir(prefix.path()).mkpath("bin"));
        QVERIFY(QDir(prefix.path()).mkpath("share/tovrik-assistant/locale"));
        const TDataFolders folders = ResolveDataFolders(prefix.filePath("bin"));
        QVERIFY(folders.PerUser);
        QCOMPARE(folders.Settings, FHome.filePath("config/tovrik-assistant"));
        QCOMPARE(folders.Data, FHome.filePath("data/tovrik-assistant"));
        QCOMPARE(ShippedLanguageFolders(prefix.filePath("bin")),
                 QStringList{prefix.filePath("share/tovrik-assistant/locale")});
    }

    void unwritableOrMissingFolderUsesTheUsersFolders()
    {
        QVERIFY(ResolveDataFolders(FHome.filePath("no/such/folder")).PerUser);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        if (access(QFile::encodeName(dir.path()).constData(), W_OK) == 0) {
            QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            QSKIP("running with rights that write any folder (root); the installed-package test covers this as "
                  "another user");
        }
        const TDataFolders folders = ResolveDataFolders(dir.path());
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QVERIFY(folders.PerUser);
        QCOMPARE(folders.Data, FHome.filePath("data/tovrik-assistant"));
    }

    void shippedLanguagesBesideAPortableExecutable()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QCOMPARE(ShippedLanguageFolders(dir.path()), QStringList());
        QVERIFY(QDir(dir.path()).mkpath("locale"));
        QCOMPARE(ShippedLanguageFolders(dir.path()), QStringList{dir.filePath("locale")});
    }

    void namedFolderHoldsEverythingAndIsPrepared()
    {
        const QString named = FHome.filePath("named/deeper");
        SetAppDataFolder(named);
        QCOMPARE(AppDataFolder(), named);
        QCOMPARE(QFileInfo(SettingsFilePath()).path(), named);
        QCOMPARE(AppDataPath("param"), named + "/param");
        QVERIFY(!QFileInfo::exists(named));
        QVERIFY(PrepareDataFolders());
        QVERIFY(QFileInfo(named).isDir());
        SetAppDataFolder(QString());
        // The test program's own folder is writable and not installed: portable again.
        QCOMPARE(AppDataFolder(), QCoreApplication::applicationDirPath());
    }
};

QTEST_GUILESS_MAIN(TestDataFolder)
#include "test_datafolder.moc"
