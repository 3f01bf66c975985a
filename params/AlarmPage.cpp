#include "params/AlarmPage.h"

#include "core/Numbers.h"
#include "link/CmdQueue.h"
#include "params/RadioGroup.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>

const QStringList& TAlarmPage::ChoiceTexts()
{
    static const QStringList texts = {QStringLiteral("All Close"), QStringLiteral("GPRS"), QStringLiteral("SMS"),
                                      QStringLiteral("All Open")};
    return texts;
}

TAlarmPage::TAlarmPage(TCmdQueue& queue, QWidget* parent)
    : QWidget(parent), FQueue(queue), FOwnSettings(std::make_unique<TTrackerSettings>()), FSettings(FOwnSettings.get())
{
    setObjectName(QStringLiteral("pnlAlarmSetting"));
    const char* captions[GroupCount] = {"In GeoFence", "Out GeoFence", "Self Hot Spot", "Low Battery", "SOS"};
    TRadioGroup** members[GroupCount] = {&RdGrp_01, &RdGrp_02, &RdGrp_03, &RdGrp_04, &RdGrp_05};
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    for (int i = 0; i < GroupCount; ++i) {
        auto* group = new TRadioGroup(QStringLiteral("RdGrp_%1").arg(i + 1, 2, 10, QLatin1Char('0')),
                                      QString::fromLatin1(captions[i]), ChoiceTexts(), this);
        group->SetItemIndex(0);
        *members[i] = group;
        FGroups.append(group);
        layout->addWidget(group, 0, i);
    }
    btnAlarmRead = new QPushButton(QStringLiteral("Read"), this);
    btnAlarmRead->setObjectName(QStringLiteral("btnAlarmRead"));
    btnAlarmSet = new QPushButton(QStringLiteral("Write"), this);
    btnAlarmSet->setObjectName(QStringLiteral("btnAlarmSet"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnAlarmRead);
    buttons->addWidget(btnAlarmSet);
    layout->addLayout(buttons, 1, 0, 1, GroupCount);
    layout->setRowStretch(2, 1);

    connect(btnAlarmRead, &QPushButton::clicked, this, &TAlarmPage::btnAlarmReadClick);
    connect(btnAlarmSet, &QPushButton::clicked, this, &TAlarmPage::btnAlarmSetClick);
}

void TAlarmPage::SetSettings(TTrackerSettings* settings)
{
    FSettings = settings ? settings : FOwnSettings.get();
}

const QStringList& TAlarmPage::Keys()
{
    static const QStringList keys = [] {
        QStringList k;
        for (const TSettingDef& d : SettingDefs())
            if (d.CmdNo == 22)
                k << QString::fromLatin1(d.Key);
        return k;
    }();
    return keys;
}

bool TAlarmPage::ShowSetting(const TTrackerSettings& settings, const QString& key)
{
    const int position = int(Keys().indexOf(key)) + 1;
    if (position < 1)
        return false;
    Group(position)->SetItemIndex(StrToIntDef(settings.Value(key), 0));
    return true;
}

bool TAlarmPage::TakeSetting(TTrackerSettings& settings, const QString& key) const
{
    const int position = int(Keys().indexOf(key)) + 1;
    if (position < 1)
        return false;
    const int index = Group(position)->ItemIndex();
    settings.SetValue(key, index < 0 ? QString() : QString::number(index));
    return true;
}

QByteArray TAlarmPage::AlarmText() const
{
    TTrackerSettings choices;
    for (const QString& key : Keys())
        TakeSetting(choices, key);
    return choices.WriteParam(22).mid(1);
}

void TAlarmPage::QueueAlarmWrite()
{
    for (const QString& key : Keys())
        TakeSetting(*FSettings, key);
    const TCmdItem write = FSettings->WriteRequest(22);
    FQueue.QueueCmd(write.CmdNo, write.RWFlag, false, write.ParamText);
}

void TAlarmPage::btnAlarmReadClick()
{
    FQueue.ClearCmdQueue();
    FQueue.QueueCmd(22, 0, false, {});
    FQueue.StartUserCmdQueue();
}

void TAlarmPage::btnAlarmSetClick()
{
    FQueue.ClearCmdQueue();
    QueueAlarmWrite();
    FQueue.StartUserCmdQueue();
}
