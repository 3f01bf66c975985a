#pragma once

#include <QString>

class QWidget;

// Puts a caption on the control of that objectName below root, whatever its kind: a button's or
// check box's text, a group box's title, a tab page's tab text, a label's text, a window's title.
// Returns false when there is no such control (the caption is then simply not shown anywhere).
bool SetControlCaption(QWidget* root, const QString& name, const QString& caption);

// What a label shows of a caption with shortcut marks: "&&" shows one "&", a single "&" only
// underlines the next letter. A label without a buddy has no shortcut, so it gets this text.
QString LabelDisplayText(const QString& caption);
