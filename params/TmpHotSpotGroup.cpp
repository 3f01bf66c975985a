#include "params/TmpHotSpotGroup.h"

#include "core/Numbers.h"
#include "link/CmdQueue.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TTmpHotSpotGroup::TTmpHotSpotGroup(TCmdQueue& queue, QWidget* parent)
    : QGroupBox(QStringLiteral("Temporary Hot Spot"), parent), FQueue(queue),
      FOwnSettings(std::make_unique<TTrackerSettings>()), FSettings(FOwnSettings.get())
{
    setObjectName(QStringLiteral("gbTmpHotSpot"));
    lblRadius = new QLabel(QStringLiteral("Radius(meter):"), this);
    lblRadius->setObjectName(QStringLiteral("lblRadius"));
    txtRadius = new QLineEdit(QStringLiteral("300"), this);
    txtRadius->setObjectName(QStringLiteral("txtRadius"));
    btnSelfHotSpotRead = new QPushButton(QStringLiteral("Read"), this);
    btnSelfHotSpotRead->setObjectName(QStringLiteral("btnSelfHotSpotRead"));
    btnSelfHotSpotWrite = new QPushButton(QStringLiteral("Write"), this);
    btnSelfHotSpotWrite->setObjectName(QStringLiteral("btnSelfHotSpotWrite"));
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(lblRadius);
    layout->addWidget(txtRadius);
    layout->addStretch(1);
    layout->addWidget(btnSelfHotSpotRead);
    layout->addWidget(btnSelfHotSpotWrite);

    connect(btnSelfHotSpotRead, &QPushButton::clicked, this, &TTmpHotSpotGroup::btnSelfHotSpotReadClick);
    connect(btnSelfHotSpotWrite, &QPushButton::clicked, this, &TTmpHotSpotGroup::btnSelfHotSpotWriteClick);
}

void TTmpHotSpotGroup::btnSelfHotSpotReadClick()
{
    FQueue.ClearCmdQueue();
    FQueue.QueueCmd(9, 0, false, {});
    FQueue.StartUserCmdQueue();
}

void TTmpHotSpotGroup::btnSelfHotSpotWriteClick()
{
    TakeSetting(*FSettings, QStringLiteral("radius"));
    int32_t radius = 0;
    if (!FSettings->TryRadius(radius))
        return;
    FQueue.ClearCmdQueue();
    const TCmdItem write = FSettings->WriteRequest(9);
    FQueue.QueueCmd(write.CmdNo, write.RWFlag, false, write.ParamText);
    FQueue.StartUserCmdQueue();
}

void TTmpHotSpotGroup::SetSettings(TTrackerSettings* settings)
{
    FSettings = settings ? settings : FOwnSettings.get();
}

bool TTmpHotSpotGroup::ShowSetting(const TTrackerSettings& settings, const QString& key)
{
    if (key != QLatin1String("radius"))
        return false;
    txtRadius->setText(settings.Value(key));
    return true;
}

bool TTmpHotSpotGroup::TakeSetting(TTrackerSettings& settings, const QString& key) const
{
    if (key != QLatin1String("radius"))
        return false;
    settings.SetValue(key, TrimText(txtRadius->text()));
    return true;
}
