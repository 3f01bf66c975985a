// Percent signs from outside the program (tracker answers, translations) are text, never a
// format: "%n", "%s", "%d" and "%1" reach the fields and message boxes as they came.
#include "core/DataFolder.h"
#include "i18n/Language.h"
#include "params/MainSettingsPage.h"
#include "params/ResponseDispatcher.h"
#include "support_PagesRig.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

class TestFormatStrings : public QObject {
    Q_OBJECT
private slots:
    void trackerTextsShownLiterally_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("shown");
        QTest::newRow("alias") << QByteArray("(0123456789,P17,%n%s%d %1 %2)") << "txtAlias" << "%n%s%d %1 %2";
        QTest::newRow("APN") << QByteArray("(0123456789,P05,1.2.3.4,8888,%1%2,%s,%n)") << "txtAPN" << "%1%2";
        QTest::newRow("APN user") << QByteArray("(0123456789,P05,1.2.3.4,8888,%1%2,%s,%n)") << "txtAPNUsername" << "%s";
        QTest::newRow("APN password") << QByteArray("(0123456789,P05,1.2.3.4,8888,%1%2,%s,%n)") << "txtAPNPassword" << "%n";
    }
    void trackerTextsShownLiterally()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QString, field);
        QFETCH(QString, shown);
        TPagesRig rig;
        rig.Dispatcher->DispatchResponse(answer);
        auto* edit = rig.Window.findChild<QLineEdit*>(field);
        QVERIFY2(edit, qPrintable(field));
        QCOMPARE(edit->text(), shown);
    }

    void translationsAreNotFormats()
    {
        QTemporaryDir dir;
        SetAppDataFolder(dir.path());
        ResetLanguageModule();
        TPagesRig rig;
        // Give the message its number in the catalogue, then translate it with a hostile text.
        const QString source = QStringLiteral("VIP number %d is error.");
        int32_t number = -1;
        Translate(source);
        for (int32_t i = 0; i < SourceTextCount(); ++i)
            if (SourceText(i) == source)
                number = i;
        QVERIFY(number >= 0);
        QVERIFY(QDir(dir.path()).mkpath("locale"));
        QFile file(dir.filePath("locale/hostile.lng"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[language]\r\n" + QByteArray::number(number).rightJustified(3, '0') +
                   "=%s%n %1 Nummer %d falsch %2.\r\n");
        file.close();
        LoadLanguage("hostile");
        rig.Main->AuthNumberEdit(1)->setText("+1");
        rig.Main->AuthNumberEdit(2)->setText("12 3");
        rig.Main->btnVipCfgSet->click();
        QCOMPARE(rig.Messages.size(), 1);
        QCOMPARE(rig.Messages[0].Text, QStringLiteral("%s%n %1 Nummer 2 falsch %2."));
        ResetLanguageModule();
    }
};

QTEST_MAIN(TestFormatStrings)
#include "test_format_strings.moc"
