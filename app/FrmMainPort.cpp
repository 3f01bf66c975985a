// The serial line as the window sees it: the port list, the open/close switch and the port's
// events. (Grows with the serial port layer.)
#include "app/FrmMain.h"

#include <QComboBox>

void TFrmMain::FillPortList() {}

void TFrmMain::ClosePortAtShutdown() {}

bool TFrmMain::IsOpen() const { return false; }

void TFrmMain::WriteFrame(const QByteArray& frame) { Q_UNUSED(frame); }
