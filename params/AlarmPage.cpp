#include "params/AlarmPage.h"

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

TAlarmPage::TAlarmPage(TCmdQueue& queue, QWidget* parent) : QWidget(parent), FQueue(queue)
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

QByteArray TAlarmPage::AlarmText() const
{
    QByteArrayList parts;
    for (const TRadioGroup* g : FGroups)
        if (g->ItemIndex() >= 0)
            parts << QByteArray::number(g->ItemIndex());
    return parts.join(',');
}

void TAlarmPage::QueueAlarmWrite()
{
    FQueue.QueueCmd(22, 1, false, QByteArrayLiteral(",") + AlarmText());
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
