#pragma once

#include <QByteArray>

// Answers as a tracker with a fixed set of settings gives them, for the rig's Responder: a read
// answers with the values below, a write echoes its values, "(P20)" answers without values, and
// the status query answers with alias "Truck7", GPS 4, GSM 24, battery 80.
// Identifier "0123456789".
QByteArray TrackerAnswer(const QByteArray& commandText);

inline constexpr const char* TrackerId = "0123456789";
