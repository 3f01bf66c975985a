#include "support_PagesRig.h"

#include "link/FrameCodec.h"
#include "params/AlarmPage.h"
#include "params/BulkOperations.h"
#include "params/MainSettingsPage.h"
#include "params/StatusPanel.h"
#include "params/TmpHotSpotGroup.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

TPagesRig::TPagesRig()
{
    FOldHandler = Dialogs::SetMessageHandler([this](const TMessageRequest& r) { Messages << r; });
    Queue = std::make_unique<TCmdQueue>(*this, *this);

    auto* root = new QVBoxLayout(&Window);
    rgbInfo = new QGroupBox(QStringLiteral("Basic information"), &Window);
    rgbInfo->setObjectName(QStringLiteral("rgbInfo"));
    auto* info = new QHBoxLayout(rgbInfo);
    lblID = new QLabel(QStringLiteral("ID:"), rgbInfo);
    lblID->setObjectName(QStringLiteral("lblID"));
    info->addWidget(lblID);
    info->addStretch(1);
    root->addWidget(rgbInfo);
    pgCtrl = new QTabWidget(&Window);
    root->addWidget(pgCtrl);
    cbTipOnOK = new QCheckBox(QStringLiteral("show tip message"), &Window);
    cbTipOnOK->setChecked(true);
    root->addWidget(cbTipOnOK);

    Status = new TStatusPanel(rgbInfo, lblID);
    Main = new TMainSettingsPage(*Queue);
    Alarm = new TAlarmPage(*Queue);
    auto* geo = new QWidget;
    HotSpot = new TTmpHotSpotGroup(*Queue, geo);
    pgCtrl->addTab(Main, QStringLiteral("Main Settings"));
    pgCtrl->addTab(Alarm, QStringLiteral("Alarm Setting"));
    pgCtrl->addTab(geo, QStringLiteral("Geo-fence Setting"));
    pgCtrl->addTab(new QWidget, QStringLiteral("Advanced Operations"));
    Bulk = new TBulkOperations(*Queue, *Main, *Alarm, &Window);

    TDispatchTargets targets;
    targets.Queue = Queue.get();
    targets.Status = Status;
    targets.Main = Main;
    targets.Alarm = Alarm;
    targets.HotSpot = HotSpot;
    targets.pgCtrl = pgCtrl;
    targets.cbTipOnOK = cbTipOnOK;
    Dispatcher = std::make_unique<TResponseDispatcher>(targets);
}

TPagesRig::~TPagesRig()
{
    Queue->AbortCmdQueue();
    Dialogs::SetMessageHandler(FOldHandler);
}

QByteArray TPagesRig::AnswerFrame(const QByteArray& payload)
{
    return QByteArrayLiteral("\x21\x06\x09\x01") + payload + QByteArrayLiteral("\x00\x00\x21");
}

void TPagesRig::Receive(const QByteArray& payload)
{
    Queue->AppendReceived(AnswerFrame(payload));
}

void TPagesRig::WriteFrame(const QByteArray& frame)
{
    if (!Responder)
        return;
    // The command text sits between the length byte and the checksum; these tests send only
    // texts whose length and checksum need no escaping, so it is found by its parentheses.
    const QByteArray text = frame.mid(frame.indexOf('('), frame.lastIndexOf(')') - frame.indexOf('(') + 1);
    const QByteArray answer = Responder(text);
    if (answer.isEmpty())
        return;
    TCmdQueue* queue = Queue.get();
    QTimer::singleShot(0, queue, [queue, answer] { queue->AppendReceived(AnswerFrame(answer)); });
}
