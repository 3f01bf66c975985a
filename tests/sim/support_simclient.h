#pragma once

#include "link/ComPort.h"
#include "link/FrameCodec.h"

#include <QList>
#include <QtTest>

// The program's side of the line, reduced to what the tests need: a real port on the
// simulator's device that collects every received byte and cuts the answers out of them.
class TSimClient {
public:
    TComPort Port;
    QByteArray Raw;                // every byte received, in order
    QByteArray Buffer;             // not yet cut into frames
    QList<QByteArray> Payloads;    // answers, in order
    int RxEvents = 0;
    QStringList Lost;

    explicit TSimClient(const QString& device)
    {
        Port.SetPort(device);
        Port.OnRxChar = [this](int32_t count) {
            ++RxEvents;
            const QByteArray bytes = Port.ReadBytes(count);
            Raw += bytes;
            Buffer += bytes;
            QByteArray payload;
            for (;;) {
                if (ExtractFrame(Buffer, payload))
                    Payloads << payload;
                else if (Buffer.count(FrameStartByte) < 2)
                    break;
            }
        };
        Port.OnLineLost = [this](const QString& message) { Lost << message; };
    }

    void Send(const QByteArray& command) { Port.WriteBytes(EncodeFrame(command)); }

    // Sends a command and waits for the next answer; empty when none came in time.
    QByteArray Ask(const QByteArray& command, int timeoutMs = 3000)
    {
        const qsizetype before = Payloads.size();
        Send(command);
        if (!QTest::qWaitFor([&] { return Payloads.size() > before; }, timeoutMs))
            return {};
        return Payloads[before];
    }
};
