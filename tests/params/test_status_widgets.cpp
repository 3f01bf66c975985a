// The status panel's widgets: bar meters held inside their range, the seven-segment identifier
// display, the radio groups, and the battery-charging animation.
#include "params/BarMeter.h"
#include "params/LedDisplay.h"
#include "params/RadioGroup.h"
#include "params/StatusPanel.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QToolButton>
#include <QtTest>

namespace {

bool IsLitGreen(QRgb c) { return qGreen(c) > 200 && qRed(c) < 80 && qBlue(c) < 80; }

} // namespace

class TestStatusWidgets : public QObject {
    Q_OBJECT
private slots:
    void signalMeterHeldInsideZeroToFive_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("shown");
        QTest::newRow("below") << -4 << 0;
        QTest::newRow("zero") << 0 << 0;
        QTest::newRow("three") << 3 << 3;
        QTest::newRow("five") << 5 << 5;
        QTest::newRow("above") << 31 << 5;
        QTest::newRow("most negative") << int(INT32_MIN) << 0;
    }
    void signalMeterHeldInsideZeroToFive()
    {
        QFETCH(int, value);
        QFETCH(int, shown);
        std::unique_ptr<TBarMeter> meter(TBarMeter::MakeSignalMeter(nullptr));
        meter->SetValue(value);
        QCOMPARE(meter->Value(), shown);
        QCOMPARE(meter->LitSegments(), shown);
    }

    void signalMeterColours()
    {
        std::unique_ptr<TBarMeter> meter(TBarMeter::MakeSignalMeter(nullptr));
        QCOMPARE(meter->SegmentCount(), 5);
        QCOMPARE(meter->SegmentColor(0), QColor(Qt::red));
        QCOMPARE(meter->SegmentColor(1), QColor(Qt::red));
        QCOMPARE(meter->SegmentColor(2), QColor(Qt::yellow));
        QCOMPARE(meter->SegmentColor(3), QColor(Qt::yellow));
        QCOMPARE(meter->SegmentColor(4), QColor(0, 255, 0));
        // Painted: at 1 only the first (red) segment is lit; the last stays grey.
        meter->resize(100, 30);
        meter->SetValue(1);
        QImage img = meter->grab().toImage();
        const qreal w = 100.0 / 5;
        const QRgb first = img.pixel(int(w * 0.5), 27);
        const QRgb last = img.pixel(int(w * 4.5), 27);
        QVERIFY(qRed(first) > 200 && qGreen(first) < 80);
        QCOMPARE(qRed(last), qGreen(last)); // grey
        meter->SetValue(5);
        img = meter->grab().toImage();
        QVERIFY(IsLitGreen(img.pixel(int(w * 4.5), 27)));
        // Rising: the last segment is taller than the first.
        QCOMPARE(QColor(img.pixel(int(w * 0.5), 8)), QColor(meter->palette().window().color()));
    }

    void batteryMeter_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("shown");
        QTest::addColumn<int>("lit");
        QTest::newRow("negative") << -1 << 0 << 0;
        QTest::newRow("20") << 20 << 20 << 2;
        QTest::newRow("55") << 55 << 55 << 6;
        QTest::newRow("100") << 100 << 100 << 10;
        QTest::newRow("250") << 250 << 100 << 10;
    }
    void batteryMeter()
    {
        QFETCH(int, value);
        QFETCH(int, shown);
        QFETCH(int, lit);
        std::unique_ptr<TBarMeter> meter(TBarMeter::MakeBatteryMeter(nullptr));
        QCOMPARE(meter->SegmentCount(), 10);
        for (int i = 0; i < 10; ++i)
            QCOMPARE(meter->SegmentColor(i), QColor(0, 255, 0));
        meter->SetValue(value);
        QCOMPARE(meter->Value(), shown);
        QCOMPARE(meter->LitSegments(), lit);
    }

    void ledDisplayKeepsItsTextAndDrawsDigits()
    {
        TLedDisplay led;
        QCOMPARE(led.Text(), QStringLiteral("0000000000"));
        led.SetText(QStringLiteral("0012345678"));
        QCOMPARE(led.Text(), QStringLiteral("0012345678"));
        QCOMPARE(TLedDisplay::SegmentsOf(QLatin1Char('8')), 0x7F);
        QCOMPARE(TLedDisplay::SegmentsOf(QLatin1Char('1')), 0x06);
        QCOMPARE(TLedDisplay::SegmentsOf(QLatin1Char('-')), 0x40);
        QCOMPARE(TLedDisplay::SegmentsOf(QLatin1Char('x')), 0);
        // Painted: the middle bar (g) of a cell is lit for "8" and dark for "0".
        led.resize(200, 30);
        led.SetText(QStringLiteral("8000000000"));
        const QImage img = led.grab().toImage();
        const qreal cell = (200 - 4) / 10.0;
        const int y = 15;
        QVERIFY(IsLitGreen(img.pixel(int(2 + cell * 0.5), y)));
        QVERIFY(!IsLitGreen(img.pixel(int(2 + cell * 1.5), y)));
        // A longer identifier keeps every character.
        led.SetText(QStringLiteral("123456789012"));
        QCOMPARE(led.Text(), QStringLiteral("123456789012"));
        QVERIFY(!led.grab().isNull());
    }

    void radioGroupItemIndex()
    {
        TRadioGroup group(QStringLiteral("RdGrp_09"), QStringLiteral("Test"), {"a", "b", "c"});
        QCOMPARE(group.ItemIndex(), -1);
        group.SetItemIndex(2);
        QCOMPARE(group.ItemIndex(), 2);
        QVERIFY(group.Button(2)->isChecked());
        QCOMPARE(group.Button(1)->objectName(), QStringLiteral("RdGrp_09_1"));
        group.SetItemIndex(7);
        QCOMPARE(group.ItemIndex(), -1);
        group.SetItemIndex(0);
        group.SetItems({"x", "y", "z"});
        QCOMPARE(group.Items(), QStringList({"x", "y", "z"}));
        QCOMPARE(group.ItemIndex(), 0);
        group.SetItemIndex(1); // still exclusive after being cleared
        QVERIFY(!group.Button(0)->isChecked());
    }

    void statusPanelFillsTheGroupAroundItsLabel()
    {
        QGroupBox box(QStringLiteral("Basic information"));
        auto* layout = new QHBoxLayout(&box);
        auto* lblID = new QLabel(QStringLiteral("ID:"), &box);
        lblID->setObjectName(QStringLiteral("lblID"));
        layout->addWidget(lblID);
        layout->addStretch(1);
        TStatusPanel panel(&box, lblID);
        QCOMPARE(box.findChildren<QLabel*>(QStringLiteral("lblID")).size(), 1);
        QVERIFY(panel.isAncestorOf(lblID));
        for (const char* name : {"RzMeter_LED", "lblAnother", "lblAnotherName", "lblGSM", "RzMeter_GSM", "lblGPS",
                                 "RzMeter_GPS", "lblBattery", "RzMeter_Battery", "lblVer", "lblVersion", "sbT01"})
            QVERIFY2(box.findChild<QWidget*>(QString::fromLatin1(name)), name);
        QCOMPARE(panel.lblVersion->text(), QStringLiteral("xxxxxxxx"));
        QVERIFY(panel.lblVersion->font().bold());
        QCOMPARE(panel.lblVersion->font().pixelSize(), 16);
        QVERIFY(panel.lblAnotherName->font().bold());
        QVERIFY(panel.lblAnotherName->text().isEmpty());
        QVERIFY(!panel.sbT01->icon().isNull());
        QVERIFY(panel.sbT01->text().isEmpty());

        panel.RzMeter_LED->SetText(QStringLiteral("42"));
        panel.RzMeter_GSM->SetValue(3);
        panel.lblVersion->setText(QStringLiteral("V1"));
        panel.Reset();
        QCOMPARE(panel.RzMeter_LED->Text(), QStringLiteral("0000000000"));
        QCOMPARE(panel.RzMeter_GSM->Value(), 0);
        QCOMPARE(panel.lblVersion->text(), QStringLiteral("xxxxxxxx"));
    }

    void chargingAnimation()
    {
        QGroupBox box;
        new QHBoxLayout(&box);
        TStatusPanel panel(&box, new QLabel(&box));
        QVERIFY(!panel.tmBatteyCharging().isActive());
        QCOMPARE(panel.tmBatteyCharging().interval(), 1000);
        QList<int> shown;
        for (int i = 0; i < 8; ++i) {
            panel.tmBatteyChargingTimer();
            shown << panel.RzMeter_Battery->Value();
        }
        QCOMPARE(shown, QList<int>({0, 20, 40, 60, 80, 100, 0, 20}));
        // Started, a running animation goes on with its step; the real timer drives it.
        panel.StartBatteryAnimation();
        const int step = panel.AnimationStep();
        panel.StartBatteryAnimation();
        QCOMPARE(panel.AnimationStep(), step);
        QTRY_COMPARE_WITH_TIMEOUT(panel.RzMeter_Battery->Value(), step, 2500);
        QCOMPARE(panel.AnimationStep(), step + 20);
        panel.StopBatteryAnimation();
        QVERIFY(!panel.tmBatteyCharging().isActive());
        QCOMPARE(panel.AnimationStep(), 0);
        QCOMPARE(panel.RzMeter_Battery->Value(), 0);
    }
};

QTEST_MAIN(TestStatusWidgets)
#include "test_status_widgets.moc"
