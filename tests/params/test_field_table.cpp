// The settings model's field table as the one source of what a setting may hold and when two
// values are the same: the checks before a write, the decoding of answers, and the comparison
// that verify, Compare and the read-back share.
#include "core/AppError.h"
#include "geo/CoordText.h"
#include "params/TrackerSettings.h"

#include <QtTest>

class TestFieldTable : public QObject {
    Q_OBJECT

    static TValueFault Check(const char* key, const QString& value)
    {
        return CheckSettingValue(*FindSettingDef(QString::fromLatin1(key)), value);
    }

private slots:
    void everySettingHasItsDefaultTypeAndRange()
    {
        const TTrackerSettings fresh;
        for (const TSettingDef& d : SettingDefs()) {
            const QString key = QString::fromLatin1(d.Key);
            QCOMPARE(fresh.Value(key), QString::fromLatin1(d.Default));
            // A new window's values can all be written.
            QVERIFY2(CheckSettingValue(d, fresh.Value(key)) == TValueFault::None, d.Key);
        }
        QVERIFY(fresh.WriteAllRequests().size() == 14);
    }

    void valuesAreCheckedByTypeAndRange()
    {
        QCOMPARE(Check("gprs_port", "1"), TValueFault::None);
        QCOMPARE(Check("gprs_port", " 65535 "), TValueFault::None);
        QCOMPARE(Check("gprs_port", "0"), TValueFault::OutOfRange);
        QCOMPARE(Check("gprs_port", "70000"), TValueFault::OutOfRange);
        QCOMPARE(Check("gprs_port", "-1"), TValueFault::OutOfRange);
        QCOMPARE(Check("gprs_port", "80a"), TValueFault::NotNumber);
        QCOMPARE(Check("gprs_port", ""), TValueFault::Empty);
        QCOMPARE(Check("time_difference", "-720"), TValueFault::None);
        QCOMPARE(Check("time_difference", "841"), TValueFault::OutOfRange);
        QCOMPARE(Check("low_battery", "100"), TValueFault::None);
        QCOMPARE(Check("low_battery", "150"), TValueFault::OutOfRange);
        QCOMPARE(Check("gprs_ip", "  "), TValueFault::Empty);
        QCOMPARE(Check("gprs_user", ""), TValueFault::None);
        QCOMPARE(Check("auth_2", "+"), TValueFault::None);
        QCOMPARE(Check("auth_2", "12-3"), TValueFault::NotPhone);
        QCOMPARE(Check("upload_mode", "-1"), TValueFault::NoChoice);
        QCOMPARE(Check("upload_interval", "-5"), TValueFault::None); // any whole number
        QCOMPARE(Check("keep_alive", "7201"), TValueFault::OutOfRange);

        // The command line's writes refuse what the window refuses, with the same words.
        TTrackerSettings s;
        s.SetValue("gprs_port", "70000");
        try {
            s.WriteAllRequests();
            QFAIL("a port of 70000 was written");
        } catch (const EAppError& e) {
            QCOMPARE(e.Message(), QString("Port must be a whole number from 1 to 65535."));
        }
    }

    void answersAreTakenAsTheyCameAndTheirNonNumbersFound()
    {
        TTrackerSettings s;
        QVERIFY(s.ApplyAnswer("(0123456789,P10,x20x)"));
        QVERIFY(s.ApplyAnswer("(0123456789,P05,10.0.0.1,x8888x,apn,,)"));
        QVERIFY(s.ApplyAnswer("(0123456789,P12, -60 )"));
        QVERIFY(s.ApplyAnswer("(0123456789,P17,x20x)"));
        QCOMPARE(s.Value("low_battery"), QString("x20x"));
        QCOMPARE(s.NotNumbers(TTrackerSettings::ReadAllKeys()), QStringList({"low_battery", "gprs_port"}));
        // An empty value is one the tracker left unset, not a wrong number.
        QVERIFY(s.ApplyAnswer("(0123456789,P05,10.0.0.1,,apn,,)"));
        QCOMPARE(s.NotNumbers({"gprs_port", "alias"}), QStringList());
    }

    void valuesCompareInTheModelsForm()
    {
        QVERIFY(SameSettingValue("auth_1", "", "0"));
        QVERIFY(SameSettingValue("auth_1", " 0", ""));
        QVERIFY(!SameSettingValue("auth_1", "", "5551234"));
        QVERIFY(SameSettingValue("gprs_port", "08888", "8888"));
        QVERIFY(!SameSettingValue("alias", "0", ""));
        QVERIFY(!SameSettingValue("gprs_apn", "cmnet", "CMNET"));

        TGeoFence written;
        written.FenceNo = 7;
        written.FenceName = "Depot";
        written.LTLongitude = 113.945617;
        written.LTLatitude = 22.917922;
        written.RBLongitude = 114.0;
        written.RBLatitude = 22.5;
        TGeoFence held = written;
        held.LTLatitude = ParseCoord("2255.0753"); // as the tracker keeps the text written
        held.RBLongitude = ParseCoord("11400.0000");
        QVERIFY(SameFenceValue(written, held));
        held.LTLatitude = ParseCoord("2255.0752");
        QVERIFY(!SameFenceValue(written, held));
        held = written;
        held.FenceName = "depot";
        QVERIFY(!SameFenceValue(written, held));

        // Differences name each key whose values differ, and only those.
        TTrackerSettings a;
        TTrackerSettings b;
        b.SetValue("auth_3", "");
        b.SetValue("gprs_port", "08888");
        b.SetValue("gsensor", "700");
        const QList<TSettingDifference> d = a.Differences(b, TTrackerSettings::ReadAllKeys());
        QCOMPARE(d.size(), 1);
        QCOMPARE(d[0].Key, QString("gsensor"));
    }
};

QTEST_APPLESS_MAIN(TestFieldTable)
#include "test_field_table.moc"
