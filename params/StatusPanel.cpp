#include "params/StatusPanel.h"

#include "i18n/ProgramTexts.h"
#include "params/BarMeter.h"
#include "params/LedDisplay.h"
#include "params/StatusAccessible.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

namespace {

QLabel* MakeLabel(const char* name, const char* caption, QWidget* parent)
{
    auto* l = new QLabel(QString::fromLatin1(caption), parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

// The status button's picture: a tracker's antenna sending waves.
QIcon StatusIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x20, 0x40, 0x90), 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16, 14), QPointF(16, 29));
    p.drawLine(QPointF(10, 29), QPointF(22, 29));
    p.setBrush(QColor(0x20, 0x40, 0x90));
    p.drawEllipse(QPointF(16, 12), 3, 3);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x00, 0xA0, 0x30), 2, Qt::SolidLine, Qt::RoundCap));
    for (int r : {7, 12}) {
        const QRectF arc(16 - r, 12 - r, 2 * r, 2 * r);
        p.drawArc(arc, 30 * 16, 120 * 16);
    }
    p.end();
    return QIcon(pixmap);
}

} // namespace

TStatusPanel::TStatusPanel(QGroupBox* rgbInfo, QLabel* lblIDLabel) : QWidget(rgbInfo), lblID(lblIDLabel)
{
    setObjectName(QStringLiteral("pnlStatus"));
    // The group's own layout held only the "ID:" label and a stretch; this panel replaces both.
    if (QLayout* old = rgbInfo->layout()) {
        while (QLayoutItem* item = old->takeAt(0))
            delete item;
        old->setContentsMargins(4, 0, 4, 2);
        old->addWidget(this);
    }

    RzMeter_LED = new TLedDisplay(this);
    RzMeter_LED->setObjectName(QStringLiteral("RzMeter_LED"));
    lblAnother = MakeLabel("lblAnother", "Another Name:", this);
    lblAnotherName = MakeLabel("lblAnotherName", "", this);
    QFont bold = lblAnotherName->font();
    bold.setBold(true);
    lblAnotherName->setFont(bold);
    lblAnotherName->setMinimumWidth(110);
    lblGSM = MakeLabel("lblGSM", "GSM:", this);
    RzMeter_GSM = TBarMeter::MakeSignalMeter(this);
    RzMeter_GSM->setObjectName(QStringLiteral("RzMeter_GSM"));
    lblGPS = MakeLabel("lblGPS", "GPS:", this);
    RzMeter_GPS = TBarMeter::MakeSignalMeter(this);
    RzMeter_GPS->setObjectName(QStringLiteral("RzMeter_GPS"));
    lblBattery = MakeLabel("lblBattery", "Battery:", this);
    RzMeter_Battery = TBarMeter::MakeBatteryMeter(this);
    RzMeter_Battery->setObjectName(QStringLiteral("RzMeter_Battery"));
    lblVer = MakeLabel("lblVer", "Version:", this);
    lblVersion = MakeLabel("lblVersion", InitialVersionText, this);
    QFont big = lblVersion->font();
    big.setBold(true);
    big.setPixelSize(16);
    lblVersion->setFont(big);
    lblVersion->setMinimumWidth(120);
    sbT01 = new QToolButton(this);
    sbT01->setObjectName(QStringLiteral("sbT01"));
    sbT01->setIcon(StatusIcon());
    sbT01->setIconSize(QSize(32, 32));
    sbT01->setAutoRaise(false);
    sbT01->setFixedSize(44, 44);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(6);
    grid->addWidget(lblID, 0, 0, Qt::AlignRight);
    grid->addWidget(RzMeter_LED, 0, 1);
    grid->addWidget(lblGSM, 0, 2, Qt::AlignRight);
    grid->addWidget(RzMeter_GSM, 0, 3);
    grid->addWidget(lblGPS, 0, 4, Qt::AlignRight);
    grid->addWidget(RzMeter_GPS, 0, 5);
    grid->addWidget(lblAnother, 1, 0, Qt::AlignRight);
    grid->addWidget(lblAnotherName, 1, 1);
    grid->addWidget(lblBattery, 1, 2, Qt::AlignRight);
    grid->addWidget(RzMeter_Battery, 1, 3, 1, 3);
    grid->addWidget(lblVer, 0, 6, Qt::AlignRight);
    grid->addWidget(lblVersion, 0, 7);
    grid->addWidget(sbT01, 0, 8, 2, 1, Qt::AlignCenter);
    grid->setColumnStretch(7, 1);

    // Each label names its display for screen readers and tooltips.
    lblID->setBuddy(RzMeter_LED);
    lblGSM->setBuddy(RzMeter_GSM);
    lblGPS->setBuddy(RzMeter_GPS);
    lblBattery->setBuddy(RzMeter_Battery);
    connect(RzMeter_LED, &TLedDisplay::TextChanged, this, &TStatusPanel::RefreshTips);
    for (TBarMeter* meter : {RzMeter_GSM, RzMeter_GPS, RzMeter_Battery})
        connect(meter, &TBarMeter::ReadingChanged, this, &TStatusPanel::RefreshTips);

    FChargingTimer.setInterval(ChargingIntervalMs);
    connect(&FChargingTimer, &QTimer::timeout, this, &TStatusPanel::tmBatteyChargingTimer);
}

void TStatusPanel::Reset()
{
    RzMeter_LED->SetText(QString::fromLatin1(TLedDisplay::InitialText));
    lblAnotherName->clear();
    RzMeter_GSM->SetValue(0);
    RzMeter_GPS->SetValue(0);
    RzMeter_Battery->SetValue(0);
    RzMeter_Battery->ClearReading();
    lblVersion->setText(QString::fromLatin1(InitialVersionText));
    // A picture without a caption: its name is told in words (in the language loaded by now).
    sbT01->setAccessibleName(TranslateText("status_query"));
    sbT01->setToolTip(sbT01->accessibleName());
    RefreshTips();
}

void TStatusPanel::RefreshTips()
{
    const auto tip = [this](const QString& text) {
        return FStale ? TranslateText("status_stale").arg(text) : text;
    };
    RzMeter_LED->setToolTip(tip(StatusTipText(BuddyCaption(RzMeter_LED), RzMeter_LED->Text())));
    for (TBarMeter* meter : {RzMeter_GSM, RzMeter_GPS, RzMeter_Battery})
        meter->setToolTip(tip(StatusTipText(BuddyCaption(meter), BarMeterValueText(*meter))));
    // The alias and version labels tell their value only while it is stale.
    lblAnotherName->setToolTip(FStale ? tip(StatusTipText(lblAnother->text(), lblAnotherName->text())) : QString());
    lblVersion->setToolTip(FStale ? tip(StatusTipText(lblVer->text(), lblVersion->text())) : QString());
}

QList<QWidget*> TStatusPanel::ValueDisplays() const
{
    return {RzMeter_LED, lblAnotherName, RzMeter_GSM, RzMeter_GPS, RzMeter_Battery, lblVersion};
}

void TStatusPanel::SetStale(bool stale)
{
    if (stale == FStale)
        return;
    FStale = stale;
    // A disabled display is drawn greyed (the labels by the style, the meters and the
    // identifier display by their own painting); it still shows its tooltip.
    for (QWidget* display : ValueDisplays())
        display->setEnabled(!stale);
    RefreshTips();
}

void TStatusPanel::SetBatteryLevel(int level)
{
    RzMeter_Battery->SetReading(level);
    RzMeter_Battery->SetValue(level);
}

void TStatusPanel::StartBatteryAnimation()
{
    if (!FChargingTimer.isActive())
        FChargingTimer.start();
}

void TStatusPanel::StopBatteryAnimation()
{
    FChargingTimer.stop();
    FAnimationStep = 0;
    RzMeter_Battery->SetValue(0);
    RzMeter_Battery->ClearReading();
}

void TStatusPanel::tmBatteyChargingTimer()
{
    RzMeter_Battery->SetValue(FAnimationStep);
    FAnimationStep += 20;
    if (FAnimationStep >= 120)
        FAnimationStep = 0;
}
