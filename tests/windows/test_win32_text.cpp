// Texts on Windows: the executables' manifest makes the process's code page UTF-8, so files and
// the wire hold the same bytes as on Linux, texts outside the ANSI code page included.
#include "core/IniText.h"
#include "params/TrackerSettings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

// "Camión 车": a letter of the Western code page and one of none of the 8-bit Western ones.
const QByteArray NameBytes = "Cami\xC3\xB3n \xE8\xBD\xA6";

} // namespace

class TestWin32Text : public QObject {
    Q_OBJECT
private slots:
    void processCodePageIsUtf8()
    {
        QCOMPARE(GetACP(), UINT(CP_UTF8));
        QCOMPARE(QString::fromLocal8Bit(NameBytes), QString::fromUtf8(NameBytes));
    }

    void filesHoldTheBytesTheyHoldOnLinux()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Van7.cfg");
        TIniText ini;
        ini.WriteString("Para", "BasicInfo_AnotherName", QString::fromUtf8(NameBytes));
        ini.SaveFile(path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), "[Para]\r\nBasicInfo_AnotherName=" + NameBytes + "\r\n\r\n");
        file.close();
        // A file written on Linux reads back as its text.
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[language]\r\n000=N\xC3\xBAmero de serie\r\n");
        file.close();
        TIniText language;
        QVERIFY(language.LoadFile(path));
        QCOMPARE(language.ReadString("language", "000", ""), QString::fromUtf8("Número de serie"));
    }

    void nameOutsideTheAnsiCodePageGoesOnTheWire()
    {
        // With the ANSI code page the Chinese letter could not be sent, and the write would be
        // refused; here it goes out as the same bytes as from Linux.
        TTrackerSettings settings;
        settings.SetValue("alias", QString::fromUtf8(NameBytes));
        const QList<TCmdItem> writes = settings.WriteAllRequests();
        QVERIFY(!writes.isEmpty());
        QCOMPARE(writes.first().CmdNo, 17);
        QCOMPARE(writes.first().ParamText, "," + NameBytes);
    }
};

QTEST_GUILESS_MAIN(TestWin32Text)
#include "test_win32_text.moc"
