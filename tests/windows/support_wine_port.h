#pragma once

// Shared by the serial tests of the Windows build. scripts/test-windows runs them under Wine
// with the simulated tracker (Linux's tovrik-sim) on a pseudo-terminal behind a COM port:
//   TOVRIK_TEST_COM         the tracker's port ("COM7"), a tracker that answers normally
//   TOVRIK_TEST_MISSING_COM a port with no device behind it
//   TOVRIK_TEST_HANGUP_COM  a tracker that hangs up after its first answer (one test only)

#include "link/FrameCodec.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>
#include <QtTest>

namespace WinePort {

// The port a variable names; the test fails when it is unset (nothing is skipped).
inline QString Named(const char* variable)
{
    const QString port = qEnvironmentVariable(variable);
    if (port.isEmpty())
        qFatal("%s is not set: run these tests through scripts/test-windows", variable);
    return port;
}

// The status query (command 1, as "Who are you?" sends it) in its frame.
inline QByteArray StatusQuery()
{
    return EncodeFrame(BuildCmdText(1, 0, true, QByteArray()));
}

// Takes the status answers out of what was received: their identifiers.
inline QList<QByteArray> StatusAnswers(QByteArray& received)
{
    QList<QByteArray> identifiers;
    QByteArray payload;
    while (ExtractFrame(received, payload)) {
        const TResponseHead head = ReadResponseHead(payload);
        if (head.IsStatus && head.HasIdentifier)
            identifiers << head.Fields.value(0);
    }
    return identifiers;
}

} // namespace WinePort
