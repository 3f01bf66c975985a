#include "core/AppError.h"
#include "core/IniText.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TestIniText : public QObject {
    Q_OBJECT
private slots:
    void readingRules()
    {
        const TIniText ini = TIniText::FromBytes("orphan=1\r\n"
                                                 "  [Config]  \r\n"
                                                 "; a comment=x\n"
                                                 "\n"
                                                 "  Lat = 1.5  \n"
                                                 "lat=2\n"
                                                 "noequals\n"
                                                 "url=a=b\n"
                                                 "[other]\n"
                                                 "lat=3\n");
        QCOMPARE(ini.ReadString("config", "LAT", "d"), QString("1.5")); // first key wins, names fold case
        QCOMPARE(ini.ReadString("CONFIG", "url", "d"), QString("a=b")); // split at the first "="
        QCOMPARE(ini.ReadString("config", "noequals", "d"), QString());  // key without value
        QCOMPARE(ini.ReadString("config", "orphan", "d"), QString("d")); // before any section: ignored
        QCOMPARE(ini.ReadString("config", "; a comment", "d"), QString("d"));
        QCOMPARE(ini.ReadString("other", "lat", "d"), QString("3"));
        QCOMPARE(ini.ReadString("missing", "lat", "d"), QString("d"));
        QCOMPARE(ini.SectionNames(), QStringList({"Config", "other"}));
    }

    void everyLineEndEndsALine()
    {
        // LF, CR LF and a lone CR, mixed in one file; CR LF is one end, not an empty line more.
        for (const QByteArray& eol : {QByteArray("\n"), QByteArray("\r\n"), QByteArray("\r")}) {
            const QByteArray bytes = "[language]" + eol + "000=uno" + eol + "001=dos" + eol + "[texts]" + eol +
                                     "a=b\r\nc=d\re=f\n";
            const TIniText ini = TIniText::FromBytes(bytes);
            QCOMPARE(ini.SectionKeys("language"), QStringList({"000", "001"}));
            QCOMPARE(ini.ReadString("language", "001", "x"), QString("dos"));
            QCOMPARE(ini.SectionKeys("texts"), QStringList({"a", "c", "e"}));
            QCOMPARE(ini.ReadString("texts", "c", "x"), QString("d"));
        }
    }

    void writingRulesAndLayout()
    {
        TIniText ini = TIniText::FromBytes("; header comment\n[a]\nx=1\n;gone\ny=2\nX=3\n\n[b]\nz=9\n");
        ini.WriteString("A", "x", "10");   // replaced in place: the first match only
        ini.WriteString("a", "new", "n");  // appended at the end of its section
        ini.WriteString("c", "k", "v");    // new section at the end
        QCOMPARE(ini.ToBytes(), QByteArray("[a]\r\nx=10\r\ny=2\r\nX=3\r\nnew=n\r\n\r\n"
                                           "[b]\r\nz=9\r\n\r\n"
                                           "[c]\r\nk=v\r\n\r\n"));
        // A value cannot smuggle a line break into the file.
        ini.WriteString("c", "k", "one\r\n[evil]\r\nx=1");
        QCOMPARE(TIniText::FromBytes(ini.ToBytes()).SectionNames(), QStringList({"a", "b", "c"}));
    }

    void eightBitRoundTrip()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("t.ini");
        TIniText ini;
        ini.WriteString("language", "000", QString::fromUtf8("编号"));
        ini.SaveFile(path);
        TIniText back;
        QVERIFY(back.LoadFile(path));
        QCOMPARE(back.ReadString("language", "0", "x"), QString("x"));
        QCOMPARE(back.ReadString("language", "000", "x"), QString::fromUtf8("编号"));
    }

    void missingFileReadsEmpty()
    {
        QTemporaryDir dir;
        TIniText ini;
        QString error;
        QVERIFY(ini.LoadFile(dir.filePath("nothing.ini"), &error));
        QVERIFY(ini.SectionNames().isEmpty());
        // A directory in place of the file cannot be read: an error, not an empty success.
        QVERIFY(!ini.LoadFile(dir.path(), &error));
        QVERIFY(!error.isEmpty());
    }

    void failedSaveKeepsOldFile()
    {
        QTemporaryDir dir;
        // The target is a directory: the save must fail with the path and a reason, and raise.
        const QString blocked = dir.filePath("blocked.ini");
        QVERIFY(QDir(dir.path()).mkdir("blocked.ini"));
        TIniText ini;
        ini.WriteString("s", "k", "v");
        try {
            ini.SaveFile(blocked);
            QFAIL("saving onto a directory must fail");
        } catch (const EAppError& e) {
            QVERIFY(e.Message().contains(blocked));
            QVERIFY(e.Message().startsWith("Cannot create file"));
        }
        // A save into a folder that does not exist fails and creates nothing.
        const QString nowhere = dir.filePath("no/such/folder/x.ini");
        QVERIFY_THROWS_EXCEPTION(EAppError, ini.SaveFile(nowhere));
        QVERIFY(!QFile::exists(nowhere));
        // A successful save replaces the file whole.
        const QString path = dir.filePath("ok.ini");
        WriteAll(path, "[old]\r\nx=1\r\n");
        ini.SaveFile(path);
        QCOMPARE(ReadAll(path), QByteArray("[s]\r\nk=v\r\n\r\n"));
    }

    void symlinkStaysALink()
    {
#ifdef Q_OS_WIN
        QSKIP("a link made by QFile::link on Windows is a shortcut file, not a symbolic link");
#endif
        QTemporaryDir dir;
        const QString target = dir.filePath("real.ini");
        const QString link = dir.filePath("link.ini");
        WriteAll(target, "[a]\r\nx=1\r\n");
        QVERIFY(QFile::link(target, link));
        TIniText ini;
        QVERIFY(ini.LoadFile(link));
        ini.WriteString("a", "x", "2");
        ini.SaveFile(link);
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(ReadAll(target), QByteArray("[a]\r\nx=2\r\n\r\n"));
    }

    void byteOrderMarkIsSkipped()
    {
        // A settings file saved by an editor as UTF-8 with a byte-order mark: its first section
        // is read, and a save keeps every key (and writes no mark).
        QTemporaryDir dir;
        const QString path = dir.filePath("Tovrik.ini");
        WriteAll(path, "\xEF\xBB\xBF[config]\r\nlanguage=spanish\r\nzoom=7\r\n[ports]\r\n3=/dev/ttyUSB0\r\n");
        TIniText ini;
        QVERIFY(ini.LoadFile(path));
        QCOMPARE(ini.SectionNames(), QStringList({"config", "ports"}));
        QCOMPARE(ini.ReadString("config", "language", "english"), QString("spanish"));
        ini.WriteString("config", "lat", "1.5");
        ini.SaveFile(path);
        QCOMPARE(ReadAll(path), QByteArray("[config]\r\nlanguage=spanish\r\nzoom=7\r\nlat=1.5\r\n\r\n"
                                           "[ports]\r\n3=/dev/ttyUSB0\r\n\r\n"));
        // Only a mark at the very start is one: elsewhere the bytes belong to the line.
        const TIniText inner = TIniText::FromBytes("[a]\n\xEF\xBB\xBF[b]\nk=v\n");
        QCOMPARE(inner.SectionNames(), QStringList({"a"}));
        QCOMPARE(inner.SectionKeys("a").size(), 2);
    }

    void oddFilesNeverCrash()
    {
        // Zero bytes, a BOM, a huge line, NUL bytes, a lone "[" — all read without harm.
        const QList<QByteArray> inputs = {QByteArray(), QByteArray("\xEF\xBB\xBF[a]\nk=v\n"),
                                          "[a]\n" + QByteArray(1 << 20, 'x') + "=1\n",
                                          QByteArray("[a]\nk=v\0w\n", 10), "[", "]", "[]\n=\n", "=\n[a]\n=5\n"};
        for (const QByteArray& in : inputs) {
            const TIniText ini = TIniText::FromBytes(in);
            (void)ini.ReadString("a", "k", "d");
            (void)TIniText::FromBytes(ini.ToBytes()).ToBytes();
        }
        // The empty-named key of "=5" is a key like any other.
        QCOMPARE(TIniText::FromBytes("[a]\n=5\n").ReadString("a", "", "d"), QString("5"));
    }
};

QTEST_GUILESS_MAIN(TestIniText)
#include "test_initext.moc"
