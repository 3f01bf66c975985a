#include "fleet/ShadowSettings.h"

#include "geo/FenceCommands.h"
#include "params/AlarmPage.h"
#include "params/LedDisplay.h"
#include "params/MainSettingsPage.h"
#include "params/RadioGroup.h"
#include "params/StatusPanel.h"
#include "params/TmpHotSpotGroup.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>

TShadowSettings::TShadowSettings(const TFleetTargets& targets) : FHolder(std::make_unique<QWidget>())
{
    QWidget* h = FHolder.get();
    TCmdQueue& queue = *targets.Dispatch.Queue;
    auto* info = new QGroupBox(h);
    Status = new TStatusPanel(info, new QLabel(h));
    Main = new TMainSettingsPage(queue, h);
    Alarm = new TAlarmPage(queue, h);
    HotSpot = new TTmpHotSpotGroup(queue, h);
    Fences.CreateRecords();
    TDispatchTargets t;
    t.Queue = &queue;
    t.Status = Status;
    t.Main = Main;
    t.Alarm = Alarm;
    t.HotSpot = HotSpot;
    t.pgCtrl = new QTabWidget(h);
    t.cbTipOnOK = new QCheckBox(h); // unchecked: no tip
    Dispatcher = std::make_shared<TResponseDispatcher>(t);
    Dispatcher->SetGeoFenceAnswerHandler([this](const TResponseFields& f) { ApplyFenceAnswerFields(Fences, f); });
    // The captions are the window's, so that field names read the same in either set.
    const TMainSettingsPage* real = targets.Dispatch.Main;
    if (real) {
        for (QLabel* label : real->findChildren<QLabel*>())
            if (auto* mine = Main->findChild<QLabel*>(label->objectName()))
                mine->setText(label->text());
        Main->gbDataUploading->setTitle(real->gbDataUploading->title());
        Main->RCox_KeepAlive->setText(real->RCox_KeepAlive->text());
        Main->RBtn_Main_01->setText(real->RBtn_Main_01->text());
        Main->RBtn_Main_02->setText(real->RBtn_Main_02->text());
    }
    if (const TAlarmPage* realAlarm = targets.Dispatch.Alarm)
        for (int p = 1; p <= TAlarmPage::GroupCount; ++p) {
            Alarm->Group(p)->setTitle(realAlarm->Group(p)->title());
            const auto from = realAlarm->Group(p)->findChildren<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly);
            const auto to = Alarm->Group(p)->findChildren<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly);
            for (int i = 0; i < from.size() && i < to.size(); ++i)
                to[i]->setText(from[i]->text());
        }
}

TShadowSettings::~TShadowSettings()
{
    Status->StopBatteryAnimation();
}

QList<TSettingField> TShadowSettings::Fields() const
{
    return PageFields(*Main, *Alarm);
}

QString TShadowSettings::Identifier() const { return Status->RzMeter_LED->Text(); }

QString TShadowSettings::Firmware() const { return Status->lblVersion->text(); }

TQuietDispatcher::TQuietDispatcher(const TFleetTargets& targets) : FNoTip(std::make_unique<QCheckBox>())
{
    TDispatchTargets t = targets.Dispatch;
    t.cbTipOnOK = FNoTip.get();
    Dispatcher = std::make_shared<TResponseDispatcher>(t);
    Dispatcher->SetGeoFenceAnswerHandler(targets.FenceAnswer);
}

TQuietDispatcher::~TQuietDispatcher() = default;
