#include "core/Numbers.h"

#include <QLocale>
#include <QtTest>

class TestNumbers : public QObject {
    Q_OBJECT
private slots:
    void integers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << "20" << true << 20;
        QTest::newRow("leading zeros") << "0300" << true << 300;
        QTest::newRow("signed") << "-60" << true << -60;
        QTest::newRow("plus") << "+5" << true << 5;
        QTest::newRow("most negative") << "-2147483648" << true << int(INT32_MIN);
        QTest::newRow("overflow") << "2147483648" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("sign only") << "-" << false << 0;
        QTest::newRow("letters") << "12ab" << false << 0;
        QTest::newRow("blank inside") << "12 3" << false << 0;
        QTest::newRow("leading blank") << " 5" << false << 0;
        QTest::newRow("decimal") << "1.5" << false << 0;
        QTest::newRow("non-ascii digit") << QString::fromUtf8("١٢") << false << 0;
    }
    void integers()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(int, value);
        int32_t v = 0;
        QCOMPARE(TryStrToInt(text, v), ok);
        if (ok)
            QCOMPARE(v, value);
        QCOMPARE(StrToIntDef(text, -7), ok ? value : -7);
    }

    void int64Identifiers()
    {
        int64_t v = 0;
        QVERIFY(TryStrToInt64(QByteArray("0000000000"), v));
        QCOMPARE(v, 0);
        QVERIFY(TryStrToInt64(QByteArray("9223372036854775807"), v));
        QVERIFY(!TryStrToInt64(QByteArray("9223372036854775808"), v));
    }

    void decimalsIgnoreTheLocale()
    {
        QLocale::setDefault(QLocale(QLocale::German));
        double d = 0;
        QVERIFY(TryStrToFloat("22.917922", d));
        QCOMPARE(d, 22.917922);
        QVERIFY(!TryStrToFloat("22,5", d));
        QVERIFY(!TryStrToFloat("x", d));
        QVERIFY(!TryStrToFloat("", d));
        QCOMPARE(FormatFixed(22.917922, 2), QString("22.92"));
        QCOMPARE(FormatFixed(2, 2), QString("2.00"));
        QLocale::setDefault(QLocale::c());
    }

    void trimRemovesControlCharacters()
    {
        QCOMPARE(TrimText(QString(" \t\x01" "abc d\r\n ")), QString("abc d"));
        QCOMPARE(TrimText(QString("   ")), QString());
    }
};

QTEST_GUILESS_MAIN(TestNumbers)
#include "test_numbers.moc"
