#pragma once

#include "core/Dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

// What a started program found: its files, its languages and its ports, as "key: value" lines
// for a script that installs or moves the program and has no screen to look at (--self-check).
// window is the started main window; simulatorDevice the simulated tracker's device (empty
// without one); messages the boxes shown while starting, each of which is a start-up failure.
QStringList SelfCheckReport(const QWidget& window, const QString& simulatorDevice,
                            const QList<TMessageRequest>& messages);
