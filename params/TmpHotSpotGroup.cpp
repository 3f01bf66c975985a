#include "params/TmpHotSpotGroup.h"

#include "core/Numbers.h"
#include "link/CmdQueue.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TTmpHotSpotGroup::TTmpHotSpotGroup(TCmdQueue& queue, QWidget* parent)
    : QGroupBox(QStringLiteral("Temporary Hot Spot"), parent), FQueue(queue)
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
    int32_t radius = 0;
    if (!TryStrToInt(TrimText(txtRadius->text()), radius))
        return;
    FQueue.ClearCmdQueue();
    // Written back as a plain integer: "0300" goes out as 300.
    FQueue.QueueCmd(9, 1, false, QByteArrayLiteral(",") + QByteArray::number(radius));
    FQueue.StartUserCmdQueue();
}
