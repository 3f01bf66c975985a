#include "core/AppError.h"
#include "diag/ConsoleLogFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

namespace {

const QDateTime LastSecondOfJanuary(QDate(2024, 1, 31), QTime(23, 59, 58));

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return f.readAll();
}

// What the system says when a save fails, or an empty text when it succeeded.
QString SaveError(const QString& path, const QStringList& lines)
{
    try {
        SaveConsoleLog(path, lines);
    } catch (const EAppError& e) {
        return e.Message();
    }
    return QString();
}

} // namespace

class TestConsoleLogFile : public QObject {
    Q_OBJECT

private slots:
    void FileNameCarriesTheMomentOfSaving_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<QString>("name");
        QTest::newRow("offered name, last second of January")
            << "/data/Tovrik_Result" << LastSecondOfJanuary << "/data/Tovrik_Result240131 235958.TXT";
        QTest::newRow("typed extension stays in front of the stamp")
            << "/data/log.txt" << LastSecondOfJanuary << "/data/log.txt240131 235958.TXT";
        QTest::newRow("single digits are zero-padded, hours on a 24-hour clock")
            << "x" << QDateTime(QDate(2009, 3, 4), QTime(5, 6, 7)) << "x090304 050607.TXT";
        QTest::newRow("midnight") << "x" << QDateTime(QDate(2024, 2, 1), QTime(0, 0, 0)) << "x240201 000000.TXT";
    }
    void FileNameCarriesTheMomentOfSaving()
    {
        QFETCH(QString, chosen);
        QFETCH(QDateTime, when);
        QFETCH(QString, name);
        QCOMPARE(ConsoleLogFileName(chosen, when), name);
    }

    void SavesLinesWithCrLfReplacingAnOldFile()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath("log.TXT");
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("an older and much longer file that must vanish entirely\r\n");
        }
        const QStringList lines = {"", "31 Jan 2024 23:59:58 >> Send : (P05,0)",
                                   QString::fromUtf8("31 Jan 2024 23:59:58 << Read : (1,P05,Stra\u00dfe)"), ""};
        QCOMPARE(SaveError(path, lines), QString());
        QCOMPARE(ReadAll(path), QByteArray("\r\n31 Jan 2024 23:59:58 >> Send : (P05,0)\r\n")
                                    + QString::fromUtf8("31 Jan 2024 23:59:58 << Read : (1,P05,Stra\u00dfe)").toLocal8Bit()
                                    + "\r\n\r\n");
        // Nothing but the saved file is left in the folder.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"log.TXT"});

        // An empty log gives an empty file.
        QCOMPARE(SaveError(path, {}), QString());
        QCOMPARE(ReadAll(path), QByteArray());
    }

    void UnwritablePlaceSavesNothingAndSaysWhy()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        // A path whose folder is a regular file: no one can create it, whatever their rights.
        const QString blocker = dir.filePath("notafolder");
        {
            QFile f(blocker);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("x");
        }
        const QString inFile = blocker + "/log240131 235958.TXT";
        const QString error = SaveError(inFile, {"line"});
        QVERIFY2(error.contains(QDir::toNativeSeparators(inFile)), qPrintable(error));
        QVERIFY(!QFileInfo::exists(inFile));
        QCOMPARE(ReadAll(blocker), QByteArray("x"));
        // A folder that does not exist.
        const QString missing = dir.filePath("missing/log.TXT");
        QVERIFY(!SaveError(missing, {"line"}).isEmpty());
        QVERIFY(!QFileInfo::exists(missing));
    }

    void ReadOnlyFolderSavesNothing()
    {
        if (::geteuid() == 0)
            QSKIP("running as root, which may write into a read-only folder");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString folder = dir.filePath("readonly");
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        const QString path = folder + "/Tovrik_Result240131 235958.TXT";
        const QString error = SaveError(path, {"line"});
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY2(error.contains(QDir::toNativeSeparators(path)), qPrintable(error));
        QVERIFY(QDir(folder).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestConsoleLogFile)
#include "test_consolelogfile.moc"
