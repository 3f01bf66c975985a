#pragma once

#include <QByteArray>
#include <QList>
#include <cstdint>

// The tracker's wire format. Send side strict (length byte, 16-bit additive checksum, escaping);
// receive side lenient (start and end byte, the parenthesised payload, nothing else checked).

// An answer payload without its parentheses, split at every comma, empty fields kept:
// field 0 the tracker identifier, field 1 the tag ("T01" or "P" and two digits), then the values.
using TResponseFields = QList<QByteArray>;

constexpr char FrameStartByte = 0x21;
// The receive buffer holds at most this many bytes; beyond it the oldest junk is dropped.
constexpr qsizetype MaxRxBufferSize = 64 * 1024;
// The length byte cannot describe a longer command text.
constexpr qsizetype MaxCommandTextSize = 255;

// "(P%.2d,%d%s)", "(T%.2d,%d%s)" for a status command, "(P20)" for command 20.
QByteArray BuildCmdText(int32_t cmdNo, uint8_t rwFlag, bool isTCmd, const QByteArray& paramText);
// The sum of the text's bytes as unsigned values.
uint32_t FrameChecksum(const QByteArray& text);
// The frame around a command text. A text longer than MaxCommandTextSize raises EAppError.
QByteArray EncodeFrame(const QByteArray& text);
// Cuts the next complete frame from the front of the buffer; true with the payload "(...)".
// A frame without a payload is consumed and gives false.
bool ExtractFrame(QByteArray& rxBuffer, QByteArray& payload);
// Keeps a buffer that never sees a frame end from growing without bound: drops junk in front
// of the last start byte, and a partial frame that has grown beyond any real frame.
void CapRxBuffer(QByteArray& rxBuffer);
TResponseFields SplitFields(const QByteArray& text);

// The first reading steps of an answer payload, shared by the program and the simulator.
struct TResponseHead {
    TResponseFields Fields;  // the split inner text
    bool HasIdentifier = false; // field 0 reads as an integer of 0 or more
    bool HasTag = false;     // there is a field 1
    bool IsStatus = false;   // field 1 is exactly "T01"
    int32_t CmdNo = 0;       // field 1 without its first character, 0 when not a number
};
// Payload must not be empty.
TResponseHead ReadResponseHead(const QByteArray& payload);
