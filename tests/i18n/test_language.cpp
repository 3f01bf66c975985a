// The language module without a window: numbering, language files, the catalogue, the listing.
#include "core/AppError.h"
#include "core/DataFolder.h"
#include "core/IniText.h"
#include "i18n/FileHelper.h"
#include "i18n/Language.h"
#include "i18n/ProgramTexts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList Names(const QStringList& paths)
{
    QStringList names;
    for (const QString& p : paths)
        names << QFileInfo(p).fileName();
    names.sort();
    return names;
}

// The same file: on Windows the file system itself finds names without regard to case, so the
// path found may keep the case it was asked for.
bool SameFile(const QString& found, const QString& expected)
{
    return QFileInfo(found) == QFileInfo(expected);
}

} // namespace

class TestLanguage : public QObject {
    Q_OBJECT

    QTemporaryDir* FDir = nullptr;
    QString LocalePath(const QString& file) const { return FDir->path() + QStringLiteral("/locale/") + file; }

private slots:
    void init()
    {
        FDir = new QTemporaryDir;
        QVERIFY(FDir->isValid());
        SetAppDataFolder(FDir->path());
        ResetLanguageModule();
    }
    void cleanup()
    {
        ResetLanguageModule();
        delete FDir;
        FDir = nullptr;
    }

    void everyNewTextGetsTheNextNumber()
    {
        QCOMPARE(SourceTextCount(), 0);
        QCOMPARE(Translate("Read"), QString("Read"));
        QCOMPARE(Translate("Write"), QString("Write"));
        QCOMPARE(Translate("Read"), QString("Read")); // met again: same number
        QCOMPARE(Translate("read"), QString("read"));  // differs in case: a number of its own
        QCOMPARE(SourceTextCount(), 3);
        QCOMPARE(SourceText(0), QString("Read"));
        QCOMPARE(SourceText(1), QString("Write"));
        QCOMPARE(SourceText(2), QString("read"));
        QCOMPARE(SourceText(3), QString());

        // Texts beyond plain short ASCII: long, and with letters outside ASCII.
        const QString longText(300, QLatin1Char('x'));
        const QString umlaut = QString::fromUtf8("Größe");
        QCOMPARE(Translate(longText), longText);
        QCOMPARE(Translate(umlaut), umlaut);
        QCOMPARE(Translate(longText), longText);
        QCOMPARE(Translate(umlaut), umlaut);
        QCOMPARE(SourceTextCount(), 5);
        QCOMPARE(SourceText(3), longText);
        QCOMPARE(SourceText(4), umlaut);

        WriteFile(LocalePath("test.lng"), "[language]\r\n000=Leer\r\n002=leer minúsculas\r\n004=Gr\xc3\xb6\xc3\x9f" "e!\r\n");
        LoadLanguage("test");
        QCOMPARE(Translate("Read"), QString("Leer"));
        QCOMPARE(Translate("read"), QString::fromUtf8("leer minúsculas"));
        QCOMPARE(Translate("Write"), QString("Write"));
        QCOMPARE(Translate(umlaut), QString::fromUtf8("Größe!"));
    }

    void languageFileRules_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("expected"); // translations of the texts numbered 0, 1, 2
        const QStringList english = {"zero", "one", "two"};
        QTest::newRow("missing file: all English") << QByteArray() << english;
        QTest::newRow("keys 7 and 007 alike")
            << QByteArray("[language]\r\n0=null\r\n001=eins\r\n00002=zwei\r\n") << QStringList{"null", "eins", "zwei"};
        QTest::newRow("009 before 9: the first wins")
            << QByteArray("[language]\r\n001=first\r\n1=second\r\n") << QStringList{"zero", "first", "two"};
        QTest::newRow("9 before 009: the first wins")
            << QByteArray("[language]\r\n1=first\r\n001=second\r\n") << QStringList{"zero", "first", "two"};
        QTest::newRow("empty value falls back to English")
            << QByteArray("[language]\r\n000=\r\n001=eins\r\n") << QStringList{"zero", "eins", "two"};
        QTest::newRow("an empty first entry still wins over a later one")
            << QByteArray("[language]\r\n001=\r\n1=eins\r\n") << english;
        QTest::newRow("keys that are no whole numbers are ignored")
            << QByteArray("[language]\r\nx=no\r\n1.0=no\r\n0x1=no\r\n+2=zwei\r\n-0=null\r\n99999999999=no\r\n")
            << QStringList{"null", "one", "zwei"};
        QTest::newRow("section and keys without regard to case, other sections ignored")
            << QByteArray("[other]\r\n0=no\r\n[LANGUAGE]\r\n2=zwei\r\n") << QStringList{"zero", "one", "zwei"};
        QTest::newRow("comments, blanks and a line without =")
            << QByteArray("; c\r\n[language]\r\n  1  =  eins  \r\n0\r\n") << QStringList{"zero", "eins", "two"};
        QTest::newRow("8-bit UTF-8 text")
            << QByteArray("[language]\r\n0=\xe8\xaf\xbb\xe5\x8f\x96\r\n") << QStringList{QString::fromUtf8("读取"), "one", "two"};
        QTest::newRow("format marks shown literally")
            << QByteArray("[language]\r\n0=%s %n %1\r\n") << QStringList{"%s %n %1", "one", "two"};
    }

    void languageFileRules()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, expected);
        Translate("zero");
        Translate("one");
        Translate("two");
        if (!file.isEmpty())
            WriteFile(LocalePath("deutsch.lng"), file);
        LoadLanguage("deutsch");
        QCOMPARE(CurrentLanguage(), QString("deutsch"));
        QCOMPARE((QStringList{Translate("zero"), Translate("one"), Translate("two")}), expected);
    }

    void sameLanguageIsNotReadAgain()
    {
        Translate("zero");
        WriteFile(LocalePath("deutsch.lng"), "[language]\r\n0=null\r\n");
        LoadLanguage("deutsch");
        QCOMPARE(Translate("zero"), QString("null"));
        WriteFile(LocalePath("deutsch.lng"), "[language]\r\n0=nichts\r\n");
        LoadLanguage("deutsch");
        QCOMPARE(Translate("zero"), QString("null")); // the edited file is not re-read
        LoadLanguage("Deutsch"); // another name (exact comparison): read again, same file
        QCOMPARE(CurrentLanguage(), QString("Deutsch"));
        QCOMPARE(Translate("zero"), QString("nichts"));
        LoadLanguage("english"); // no file: translations emptied
        QCOMPARE(Translate("zero"), QString("zero"));
        QCOMPARE(SourceTextCount(), 1); // numbers stay, whatever the language
    }

    void catalogueIsWrittenWithThreeDigitKeys()
    {
        for (int i = 0; i < 1001; ++i)
            Translate(QStringLiteral("text %1").arg(i));
        SaveLanguageCatalogue("english");
        TIniText file;
        QVERIFY(file.LoadFile(LocalePath("english.lng")));
        const auto entries = file.SectionEntries("language");
        QCOMPARE(entries.size(), 1001);
        QCOMPARE(entries[0].first, QString("000"));
        QCOMPARE(entries[7].first, QString("007"));
        QCOMPARE(entries[999].first, QString("999"));
        QCOMPARE(entries[1000].first, QString("1000"));
        QCOMPARE(entries[1000].second, QString("text 1000"));
        QVERIFY(ReadFile(LocalePath("english.lng")).startsWith("[language]\r\n000=text 0\r\n001=text 1\r\n"));
    }

    void catalogueKeepsWhatItDoesNotTouch()
    {
        WriteFile(LocalePath("english.lng"),
                  "[notes]\r\nby=me\r\n[Language]\r\n001=old one\r\n500=kept\r\n000=old zero\r\n");
        Translate("zero");
        Translate("one");
        SaveLanguageCatalogue("english");
        const QByteArray written = ReadFile(LocalePath("english.lng"));
        QVERIFY2(written.startsWith("[notes]\r\nby=me\r\n\r\n[Language]\r\n001=one\r\n500=kept\r\n000=zero\r\n\r\n[texts]\r\n"),
                 written.constData());
    }

    void shippedLanguagesTranslateEveryProgramText()
    {
        // Each shipped translation holds every program text, with the same placeholders.
        const QString folder = QStringLiteral(QT_TESTCASE_SOURCEDIR "/../../locale");
        for (const char* language : {"spanish", "chinese"}) {
            TIniText file;
            QVERIFY(file.LoadFile(folder + "/" + language + ".lng"));
            QVERIFY2(file.SectionExists("texts"), language);
            for (const TProgramText& t : ProgramTexts()) {
                const QString translated = file.ReadString("texts", t.Key, QString());
                const QString where = QStringLiteral("%1: %2").arg(language, t.Key);
                QVERIFY2(!translated.isEmpty(), qPrintable(where));
                for (int n = 1; n <= 9; ++n) {
                    const QString mark = QStringLiteral("%%1").arg(n);
                    QVERIFY2(QString::fromUtf8(t.English).contains(mark) == translated.contains(mark),
                             qPrintable(where + " " + mark));
                }
            }
        }
    }

    void shippedLanguagesHaveEveryCatalogueNumberAndCountedForm()
    {
        const QString folder = QStringLiteral(QT_TESTCASE_SOURCEDIR "/../../locale");
        // Texts that read the same in the language as in English: words both languages share.
        const QMap<QString, QSet<QString>> sameAsEnglish = {
            {"spanish", {"error_caption", "port_list_line", "provision_tracker", "result_error"}},
            {"chinese", {"port_list_line"}},
        };
        const QRegularExpression words(QStringLiteral("[A-Za-z]{2,}"));
        for (auto it = sameAsEnglish.cbegin(); it != sameAsEnglish.cend(); ++it) {
            const QString& language = it.key();
            TIniText file;
            QVERIFY(file.LoadFile(folder + "/" + language + ".lng"));
            // Every number of the catalogue, 000 to 104.
            for (int n = 0; n <= 104; ++n) {
                const QString key = QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0'));
                QVERIFY2(!file.ReadString("language", key, QString()).isEmpty(), qPrintable(language + ": " + key));
            }
            for (const TProgramText& t : ProgramTexts()) {
                const QString key = QString::fromLatin1(t.Key);
                const QString translated = file.ReadString("texts", key, QString());
                const QString where = language + ": " + key;
                // Translated, not copied: a text with words of its own differs from the English.
                QString bare = QString::fromUtf8(t.English);
                bare.remove(QRegularExpression(QStringLiteral("%[0-9]")));
                if (translated == QString::fromUtf8(t.English) && bare.contains(words))
                    QVERIFY2(it.value().contains(key), qPrintable(where + " is the English text"));
                // A counted text's form for one has its text for every other count beside it.
                if (key.endsWith(QLatin1String("_one"))) {
                    const QByteArray other = key.chopped(4).toLatin1();
                    QVERIFY2(!EnglishText(other.constData()).isEmpty(), qPrintable(key));
                    QVERIFY2(!file.ReadString("texts", QString::fromLatin1(other), QString()).isEmpty(),
                             qPrintable(where));
                }
            }
        }
    }

    void countedTextsTakeTheirFormForOne()
    {
        WriteFile(LocalePath("spanish.lng"), ReadFile(QStringLiteral(QT_TESTCASE_SOURCEDIR "/../../locale/spanish.lng")));
        LoadLanguage("spanish");
        QCOMPARE(TranslateCount("station_running", 1).arg(1), QString::fromUtf8("Configurando en 1 puerto."));
        QCOMPARE(TranslateCount("station_running", 2).arg(2), QString::fromUtf8("Configurando en 2 puertos."));
        QCOMPARE(TranslateCount("station_running", 0).arg(0), QString::fromUtf8("Configurando en 0 puertos."));
        LoadLanguage("english");
        QCOMPARE(TranslateCount("console_no_answer", 1).arg("x", "1"), QString("No answer to \"x\" within 1 second."));
        QCOMPARE(TranslateCount("console_no_answer", 3).arg("x", "3"), QString("No answer to \"x\" within 3 seconds."));
        // A text without a form for one is the same for every count.
        QCOMPARE(TranslateCount("provision_step_fences", 1), TranslateText("provision_step_fences"));
    }

    void programTextsComeFromSectionTexts()
    {
        // English while no language has been loaded, and for a language file of old without the
        // section; an unknown name shows itself.
        QCOMPARE(TranslateText("port_no_device"), EnglishText("port_no_device"));
        QVERIFY(!EnglishText("port_no_device").isEmpty());
        QCOMPARE(TranslateText("no_such_text"), QString("no_such_text"));
        WriteFile(LocalePath("old.lng"), "[language]\r\n000=cero\r\n");
        LoadLanguage("old");
        QCOMPARE(TranslateText("port_no_device"), EnglishText("port_no_device"));
        // Names without regard to case, the first entry wins, an empty value stays English, and
        // the numbered catalogue is untouched by the section.
        WriteFile(LocalePath("new.lng"), "[language]\r\n000=cero\r\n[Texts]\r\nPort_No_Device=ninguno\r\n"
                                         "port_no_device=segundo\r\nparams_saved=\r\n000=no\r\n");
        LoadLanguage("new");
        QCOMPARE(TranslateText("port_no_device"), QString("ninguno"));
        QCOMPARE(TranslateText("params_saved"), EnglishText("params_saved"));
        QCOMPARE(Translate("zero text"), QString("cero"));
        // Every name is unique and of the stable form.
        QSet<QString> names;
        for (const TProgramText& t : ProgramTexts()) {
            const QString key = QString::fromLatin1(t.Key);
            QVERIFY2(!names.contains(key), t.Key);
            QVERIFY2(QRegularExpression("^[a-z0-9_]+$").match(key).hasMatch(), t.Key);
            names << key;
        }
    }

    void catalogueFolderIsCreated()
    {
        SetAppDataFolder(FDir->path() + "/deeper/still");
        Translate("zero");
        SaveLanguageCatalogue("english");
        QVERIFY(QFileInfo(FDir->path() + "/deeper/still/locale/english.lng").isFile());
    }

    void catalogueFailuresAreReportedAndLoseNothing()
    {
        Translate("zero");
        // "locale" is a file: the folder cannot be made.
        WriteFile(FDir->path() + "/locale", "not a folder");
        QVERIFY_THROWS_EXCEPTION(EAppError, SaveLanguageCatalogue("english"));
        QCOMPARE(ReadFile(FDir->path() + "/locale"), QByteArray("not a folder"));

        // A language file that is a folder cannot be read: reported, and the folder stays.
        QFile::remove(FDir->path() + "/locale");
        QDir().mkpath(LocalePath("english.lng/inside"));
        QVERIFY_THROWS_EXCEPTION(EAppError, SaveLanguageCatalogue("english"));
        QVERIFY(QFileInfo(LocalePath("english.lng/inside")).isDir());
        QVERIFY(QDir(LocalePath("english.lng")).removeRecursively());

        // An existing file that cannot be read is left as it is (needs a user without rights
        // over every file).
        WriteFile(LocalePath("english.lng"), "[language]\r\n900=precious\r\n");
        QFile::setPermissions(LocalePath("english.lng"), QFileDevice::Permissions());
        QFile probe(LocalePath("english.lng"));
        if (probe.open(QIODevice::ReadOnly))
            QSKIP("running with rights that read any file (root); the unreadable case cannot be made");
        QVERIFY_THROWS_EXCEPTION(EAppError, SaveLanguageCatalogue("english"));
        QFile::setPermissions(LocalePath("english.lng"), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(ReadFile(LocalePath("english.lng")), QByteArray("[language]\r\n900=precious\r\n"));
    }

    void languageFileFoundWithoutRegardToCase()
    {
        Translate("zero");
        WriteFile(LocalePath("chinese.lng"), "[language]\r\n0=\xe9\x9b\xb6\r\n");
        QVERIFY(SameFile(LanguageFilePath("Chinese"), LocalePath("chinese.lng")));
        QVERIFY(SameFile(LanguageFilePath("nosuch"), LocalePath("nosuch.lng")));
        LoadLanguage("CHINESE");
        QCOMPARE(Translate("zero"), QString::fromUtf8("零"));
        // An exact match is preferred over one that differs in case.
        WriteFile(LocalePath("Chinese.lng"), "[language]\r\n0=other\r\n");
        QVERIFY(SameFile(LanguageFilePath("Chinese"), LocalePath("Chinese.lng")));
    }

    void listFilesMask()
    {
        const QString folder = FDir->path() + "/list";
        for (const char* name : {"english.lng", "Spanish.LNG", "notes.txt", "x.lngx", "lng", ".hidden.lng"})
            WriteFile(folder + "/" + name, "x");
        QDir().mkpath(folder + "/folder.lng");

        QStringList out{"kept"};
        TFileHelper::ListFiles(folder, "lng", TFileHelper::faNone, out);
        QCOMPARE(out.first(), QString("kept")); // appended, nothing removed
        out.removeFirst();
        QCOMPARE(Names(out), (QStringList{"Spanish.LNG", "english.lng"}));
        for (const QString& p : out)
            QVERIFY(p.startsWith(folder + "/"));

        out.clear();
        TFileHelper::ListFiles(folder + "/", ".lng", TFileHelper::faNone, out);
        QCOMPARE(Names(out), (QStringList{"Spanish.LNG", "english.lng"}));
        QVERIFY(!out.first().contains("//"));

        out.clear();
        TFileHelper::ListFiles(folder, "", TFileHelper::faNone, out);
        QCOMPARE(out, QStringList());

        out.clear();
        TFileHelper::ListFiles(folder, "lng", TFileHelper::faHidden | TFileHelper::faDirectory, out);
        QCOMPARE(Names(out), (QStringList{".hidden.lng", "Spanish.LNG", "english.lng", "folder.lng"}));

        out.clear();
        TFileHelper::ListFiles(FDir->path() + "/missing", "lng", TFileHelper::faNone, out);
        QCOMPARE(out, QStringList());
    }

    void shippedLanguagesListedWithTheUsersOwn()
    {
        // The languages shipped beside the program, and the user's own in the data folder; a file
        // of the user's own with a shipped name hides the shipped one, and catalogues are always
        // written to the user's folder.
        const QString shipped = QCoreApplication::applicationDirPath() + "/locale";
        QVERIFY(!QFileInfo::exists(shipped));
        const auto removeShipped = qScopeGuard([&] { QDir(shipped).removeRecursively(); });
        Translate("zero");
        WriteFile(shipped + "/spanish.lng", "[language]\r\n0=cero\r\n");
        WriteFile(shipped + "/Chinese.lng", "[language]\r\n0=shipped\r\n");
        WriteFile(LocalePath("chinese.lng"), "[language]\r\n0=mine\r\n");
        WriteFile(LocalePath("klingon.lng"), "");
        QCOMPARE(LanguageFolders(), (QStringList{FDir->path() + "/locale", shipped}));
        QStringList names = ListLanguages();
        QCOMPARE(names.size(), 3);
        names.sort(Qt::CaseInsensitive);
        QCOMPARE(names, (QStringList{"chinese", "klingon", "spanish"}));

        QCOMPARE(FindLanguageFile("spanish"), shipped + "/spanish.lng");
        QVERIFY(SameFile(FindLanguageFile("CHINESE"), LocalePath("chinese.lng")));
        LoadLanguage("spanish");
        QCOMPARE(Translate("zero"), QString("cero"));
        SaveLanguageCatalogue("spanish");
        QCOMPARE(ReadFile(shipped + "/spanish.lng"), QByteArray("[language]\r\n0=cero\r\n"));
        QVERIFY(QFileInfo::exists(LocalePath("spanish.lng")));
    }

    void languageNamesAreBaseNames()
    {
        QCOMPARE(ListLanguages(), QStringList());
        WriteFile(LocalePath("english.lng"), "");
        WriteFile(LocalePath("zh.cn.lng"), "");
        QStringList names = ListLanguages();
        names.sort();
        QCOMPARE(names, (QStringList{"english", "zh.cn"}));
    }
};

QTEST_GUILESS_MAIN(TestLanguage)
#include "test_language.moc"
