#pragma once

#include "core/Dialogs.h"
#include "link/CmdQueue.h"
#include "params/ResponseDispatcher.h"

#include <QByteArrayList>
#include <QList>
#include <QWidget>
#include <functional>
#include <memory>

class QCheckBox;
class QGroupBox;
class QLabel;
class QTabWidget;
class TAlarmPage;
class TBulkOperations;
class TMainSettingsPage;
class TStatusPanel;
class TTmpHotSpotGroup;

// The settings pages, status panel, bulk operations and dispatcher assembled as the main window
// assembles them, around a real command queue whose byte channel is this rig: it records every
// command text sent and can answer it (the answer arrives through the receive loop on the next
// turn of the event loop, as bytes from a port would). Message boxes are recorded, never shown.
class TPagesRig : public ICmdQueueHost, public IByteChannel {
public:
    TPagesRig();
    ~TPagesRig() override;

    // An answer frame around a payload text, framed loosely as the receive side allows: any
    // length, no checksum (the receive side checks neither).
    static QByteArray AnswerFrame(const QByteArray& payload);
    // Feeds one answer through the receive loop now.
    void Receive(const QByteArray& payload);

    QWidget Window;
    QGroupBox* rgbInfo;
    QLabel* lblID;
    QTabWidget* pgCtrl;
    QCheckBox* cbTipOnOK;
    std::unique_ptr<TCmdQueue> Queue;
    TStatusPanel* Status;
    TMainSettingsPage* Main;
    TAlarmPage* Alarm;
    TTmpHotSpotGroup* HotSpot;
    TBulkOperations* Bulk;
    std::unique_ptr<TResponseDispatcher> Dispatcher;

    // Channel state and what went out.
    bool PortOpen = true;
    QByteArrayList Sent;          // command texts, in order
    int Separators = 0;           // empty log lines (one per queue clear)
    bool ButtonsEnabled = true;   // the last SetCommandButtonsEnabled
    // When set, each command text sent is answered with the payload it returns (none when empty).
    std::function<QByteArray(const QByteArray& commandText)> Responder;
    QList<TMessageRequest> Messages;

    // ICmdQueueHost
    void SetCommandButtonsEnabled(bool enabled) override { ButtonsEnabled = enabled; }
    void SetProgressTotal(int) override {}
    void SetProgressComplete(int) override {}
    void LogSeparator() override { ++Separators; }
    void LogSent(const QString&, const QByteArray& commandText) override { Sent << commandText; }
    void LogReceived(const QString&, const QByteArray&) override {}
    QString Translate(const QString& text) override { return text; }
    void DispatchResponse(const QByteArray& payload) override { Dispatcher->DispatchResponse(payload); }

    // IByteChannel
    bool IsOpen() const override { return PortOpen; }
    void WriteFrame(const QByteArray& frame) override;

private:
    Dialogs::TMessageHandler FOldHandler;
};
