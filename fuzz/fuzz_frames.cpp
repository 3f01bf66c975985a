// The receive path as the serial port drives it: bytes arrive in pieces, the command queue cuts
// frames out of its receive buffer (ExtractFrame, CapRxBuffer), and the dispatcher splits every
// answer into fields and applies it to the real settings pages, status panel and geo-fence list.
//
// Input: byte 0 chooses how the rest is cut into pieces (1..128 bytes, or all at once); when
// bit 7 of byte 1 is set, 64 KiB of one junk byte arrive first, so the buffer cap is exercised.

#include "support_PagesRig.h"

#include "geo/FenceCommands.h"
#include "geo/GeoFenceList.h"
#include "link/FrameCodec.h"

#include <QApplication>
#include <QByteArray>

#include <cstddef>
#include <cstdint>

namespace {

struct TFrameTarget {
    TPagesRig Rig;
    TGeoFenceList Fences;

    TFrameTarget()
    {
        Fences.CreateRecords();
        Rig.Dispatcher->SetGeoFenceAnswerHandler(
            [this](const TResponseFields& fields) { ApplyFenceAnswerFields(Fences, fields); });
    }
};

TFrameTarget* Target = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(*argc, *argv); // lives for the whole run, as the program's does
    Target = new TFrameTarget;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    TPagesRig& rig = Target->Rig;
    // Every input starts from an idle queue and an empty buffer, as after a fresh open.
    rig.Queue->AbortCmdQueue();
    rig.Queue->RxBuffer().clear();
    rig.Messages.clear();
    rig.Sent.clear();

    const qsizetype piece = data[0] < 128 ? data[0] + 1 : qsizetype(size);
    if (data[1] & 0x80)
        rig.Queue->AppendReceived(QByteArray(MaxRxBufferSize, char(data[1] & 0x7F)));
    const QByteArray bytes(reinterpret_cast<const char*>(data) + 2, qsizetype(size) - 2);
    for (qsizetype at = 0; at < bytes.size(); at += piece) {
        rig.Queue->AppendReceived(bytes.mid(at, piece));
        // The buffer never outgrows its cap, whatever arrived.
        if (rig.Queue->RxBuffer().size() > MaxRxBufferSize)
            __builtin_trap();
    }
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
