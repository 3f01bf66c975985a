#include "link/FrameCodec.h"

#include "core/AppError.h"
#include "core/Numbers.h"

#include <cstdio>

namespace {

constexpr char EscapeByte = 0x3D;
constexpr uint8_t FixedByte1 = 0x06;
constexpr uint8_t FixedByte2 = 0x09;

void AppendEscaped(QByteArray& out, uint8_t value)
{
    if (value == uint8_t(FrameStartByte) || value == uint8_t(EscapeByte)) {
        out.append(EscapeByte);
        out.append(char(value ^ uint8_t(EscapeByte)));
    } else {
        out.append(char(value));
    }
}

} // namespace

QByteArray BuildCmdText(int32_t cmdNo, uint8_t rwFlag, bool isTCmd, const QByteArray& paramText)
{
    char head[48];
    if (cmdNo == 20)
        std::snprintf(head, sizeof head, "(P%.2d)", cmdNo);
    else
        std::snprintf(head, sizeof head, "(%c%.2d,%d", isTCmd ? 'T' : 'P', cmdNo, int(rwFlag));
    QByteArray text(head);
    if (cmdNo != 20) {
        text += paramText;
        text += ')';
    }
    return text;
}

uint32_t FrameChecksum(const QByteArray& text)
{
    uint32_t sum = 0;
    for (char c : text)
        sum += uint8_t(c);
    return sum;
}

QByteArray EncodeFrame(const QByteArray& text)
{
    if (text.size() > MaxCommandTextSize)
        throw EAppError(QStringLiteral("Command text too long: %1 bytes (at most %2 can be sent)")
                            .arg(text.size())
                            .arg(MaxCommandTextSize));
    const uint8_t length = uint8_t(text.size());
    const uint32_t sum = FixedByte1 + FixedByte2 + length + FrameChecksum(text);
    QByteArray frame;
    frame.reserve(text.size() + 10);
    frame.append(FrameStartByte);
    frame.append(char(FixedByte1));
    frame.append(char(FixedByte2));
    AppendEscaped(frame, length);
    frame.append(text);
    AppendEscaped(frame, uint8_t(sum >> 8));
    AppendEscaped(frame, uint8_t(sum & 0xFF));
    frame.append(FrameStartByte);
    return frame;
}

bool ExtractFrame(QByteArray& rxBuffer, QByteArray& payload)
{
    payload.clear();
    const qsizetype p1 = rxBuffer.indexOf(FrameStartByte);
    if (p1 < 0)
        return false;
    const qsizetype p2 = rxBuffer.indexOf(FrameStartByte, p1 + 1);
    if (p2 < 0)
        return false;
    const QByteArray frame = rxBuffer.mid(p1, p2 - p1 + 1);
    rxBuffer.remove(0, p2 + 1);

    // A well-formed frame carries a length field that may itself be 0x28, the "(": the payload
    // search then starts behind it. Anything else gets the lenient search from the first byte.
    qsizetype from = 0;
    if (frame.size() >= 4 && uint8_t(frame[1]) == FixedByte1 && uint8_t(frame[2]) == FixedByte2)
        from = frame[3] == EscapeByte ? 5 : 4;
    const qsizetype n = frame.indexOf('(', from);
    if (n < 0)
        return false;
    const qsizetype a = frame.indexOf(')', n + 1);
    if (a < 0)
        return false;
    payload = frame.mid(n, a - n + 1);
    return true;
}

void CapRxBuffer(QByteArray& rxBuffer)
{
    if (rxBuffer.size() <= MaxRxBufferSize)
        return;
    const qsizetype last = rxBuffer.lastIndexOf(FrameStartByte);
    if (last < 0) {
        rxBuffer.clear();
        return;
    }
    rxBuffer.remove(0, last);
    if (rxBuffer.size() > MaxRxBufferSize)
        rxBuffer.clear(); // no frame is anywhere near this long: it is junk behind a stray start byte
}

TResponseFields SplitFields(const QByteArray& text)
{
    TResponseFields fields;
    fields.reserve(text.count(',') + 1);
    qsizetype start = 0;
    for (;;) {
        const qsizetype comma = text.indexOf(',', start);
        if (comma < 0) {
            fields.append(text.mid(start));
            return fields;
        }
        fields.append(text.mid(start, comma - start));
        start = comma + 1;
    }
}

TResponseHead ReadResponseHead(const QByteArray& payload)
{
    TResponseHead head;
    head.Fields = SplitFields(payload.mid(1, payload.size() - 2));
    int64_t id = -1;
    if (!TryStrToInt64(head.Fields[0], id))
        id = -1;
    head.HasIdentifier = id >= 0;
    if (head.Fields.size() < 2)
        return head;
    head.HasTag = true;
    const QByteArray& tag = head.Fields[1];
    if (tag == "T01") {
        head.IsStatus = true;
        head.CmdNo = 1;
    } else {
        head.CmdNo = StrToIntDef(tag.mid(1), 0);
    }
    return head;
}
