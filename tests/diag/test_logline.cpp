#include "diag/LogLine.h"

#include <QRegularExpression>
#include <QtTest>

namespace {

const QDateTime LastSecondOfJanuary(QDate(2024, 1, 31), QTime(23, 59, 58));

} // namespace

class TestLogLine : public QObject {
    Q_OBJECT

private slots:
    void StampUsesShortDateAndLongTimeWithoutZone_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<QString>("stamp");
        QTest::newRow("US: month first, 12-hour clock") << "en_US" << LastSecondOfJanuary << "1/31/24 11:59:58 PM";
        QTest::newRow("German: day first, 24-hour clock") << "de_DE" << LastSecondOfJanuary << "31.01.24 23:59:58";
        QTest::newRow("British") << "en_GB" << LastSecondOfJanuary << "31/01/2024 23:59:58";
        QTest::newRow("Chinese: zone written before the time") << "zh_CN" << LastSecondOfJanuary
                                                               << "2024/1/31 23:59:58";
        QTest::newRow("C locale") << "C" << LastSecondOfJanuary << "31 Jan 2024 23:59:58";
        QTest::newRow("one second after midnight keeps its time")
            << "de_DE" << QDateTime(QDate(2024, 2, 1), QTime(0, 0, 1)) << "01.02.24 00:00:01";
        QTest::newRow("one minute after midnight keeps its time")
            << "de_DE" << QDateTime(QDate(2024, 2, 1), QTime(0, 1, 0)) << "01.02.24 00:01:00";
        QTest::newRow("one hour after midnight keeps its time")
            << "de_DE" << QDateTime(QDate(2024, 2, 1), QTime(1, 0, 0)) << "01.02.24 01:00:00";
        QTest::newRow("midnight: date only, no trailing space")
            << "de_DE" << QDateTime(QDate(2024, 2, 1), QTime(0, 0, 0)) << "01.02.24";
        QTest::newRow("milliseconds after midnight still count as midnight")
            << "en_US" << QDateTime(QDate(2024, 2, 1), QTime(0, 0, 0, 999)) << "2/1/24";
    }
    void StampUsesShortDateAndLongTimeWithoutZone()
    {
        QFETCH(QString, locale);
        QFETCH(QDateTime, when);
        QFETCH(QString, stamp);
        QCOMPARE(FormatLogStamp(when, QLocale(locale)), stamp);
    }

    void LongTimeFormatDropsOnlyTheZone_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("format");
        QTest::newRow("zone at the end") << "en_US" << "h:mm:ss AP";
        QTest::newRow("zone at the front") << "zh_CN" << "HH:mm:ss";
        QTest::newRow("Japanese, quoted-free letters kept") << "ja_JP" << QString::fromUtf8("H時mm分ss秒");
    }
    void LongTimeFormatDropsOnlyTheZone()
    {
        QFETCH(QString, locale);
        QFETCH(QString, format);
        QCOMPARE(LongTimeFormat(QLocale(locale)), format);
        // Every format keeps hours, minutes and seconds.
        QVERIFY(format.contains(QLatin1Char('s')));
        QVERIFY(!format.contains(QLatin1Char('t')));
    }

    void LongTimeFormatLeavesNoTraceOfTheZoneInAnyLocale()
    {
        // Every locale Qt knows: the zone goes with its brackets and the separator before or
        // after it, so that the time stands alone.
        const QTime time(15, 8, 52);
        QStringList bad;
        const QList<QLocale> locales =
            QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
        QVERIFY(locales.size() > 300);
        for (const QLocale& locale : locales) {
            const QString format = LongTimeFormat(locale);
            const QString shown = locale.toString(time, format);
            const QString s = shown.simplified();
            const bool brackets = s.contains(QRegularExpression(QStringLiteral("[(\\[（]\\s*[)\\]）]")));
            const auto separator = [](QChar c) { return QStringLiteral(",;:\u060C\uFF0C\u3001").contains(c); };
            const bool stray = s.isEmpty() || separator(s.front()) || separator(s.back());
            const bool zone = format.contains(QLatin1Char('t')) && !format.contains(QLatin1Char('\''));
            if (brackets || stray || zone || !s.contains(locale.toString(52).right(2)))
                bad << QStringLiteral("%1: \"%2\" -> \"%3\"").arg(locale.name(), locale.timeFormat(QLocale::LongFormat), shown);
        }
        QVERIFY2(bad.isEmpty(), qPrintable(bad.join(QLatin1Char('\n'))));
    }

    void LineKinds()
    {
        // The lines use the user's own locale; the expected stamp is the system locale's one.
        const QString stamp = FormatLogStamp(LastSecondOfJanuary, QLocale::system());
        QVERIFY(stamp.endsWith(QLocale::system().toString(QTime(23, 59, 58), LongTimeFormat(QLocale::system()))));
        QCOMPARE(FormatSentLine(LastSecondOfJanuary, "Send", QByteArray("(P05,0)")), stamp + " >> Send : (P05,0)");
        QCOMPARE(FormatReceivedLine(LastSecondOfJanuary, "Read", QByteArray("(0123456789,P05,1.2.3.4,80)")),
                 stamp + " << Read : (0123456789,P05,1.2.3.4,80)");
        QCOMPARE(FormatReceivedLine(LastSecondOfJanuary, "Write", QByteArray("(1,P08)")), stamp + " << Write : (1,P08)");
        // A console text keeps its leading and trailing blanks, and may be empty.
        QCOMPARE(FormatSentLine(LastSecondOfJanuary, "Send", QStringLiteral("  (T01,0) ")),
                 stamp + " >> Send :   (T01,0) ");
        QCOMPARE(FormatSentLine(LastSecondOfJanuary, "Send", QString()), stamp + " >> Send : ");
        // The words are whatever the caller translated them to.
        QCOMPARE(FormatSentLine(LastSecondOfJanuary, QString::fromUtf8("Senden"), QByteArray("(P01,0)")),
                 stamp + QString::fromUtf8(" >> Senden : (P01,0)"));
        // Placeholders in the text are not expanded a second time.
        QCOMPARE(FormatSentLine(LastSecondOfJanuary, "Send", QStringLiteral("%1 %2")), stamp + " >> Send : %1 %2");
        QVERIFY(FormatRefusedLine(LastSecondOfJanuary, "Not sent: too long").startsWith(stamp + " !! Not sent"));
    }
};

QTEST_GUILESS_MAIN(TestLogLine)
#include "test_logline.moc"
