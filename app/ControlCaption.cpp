#include "app/ControlCaption.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QStackedWidget>
#include <QTabWidget>

namespace {

// The tab widget whose page the widget is, or nullptr. A page's parent is the tab widget's
// internal stack.
QTabWidget* OwningTabWidget(QWidget* page)
{
    auto* stack = qobject_cast<QStackedWidget*>(page->parentWidget());
    auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
    return tabs && tabs->indexOf(page) >= 0 ? tabs : nullptr;
}

} // namespace

QString LabelDisplayText(const QString& caption)
{
    QString shown;
    shown.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size())
            ++i; // "&&" keeps the second "&"; "&x" keeps the x
        shown += caption[i];
    }
    return shown;
}

bool SetControlCaption(QWidget* root, const QString& name, const QString& caption)
{
    QWidget* control = root->objectName() == name ? root : root->findChild<QWidget*>(name);
    if (!control)
        return false;
    if (QTabWidget* tabs = OwningTabWidget(control)) {
        tabs->setTabText(tabs->indexOf(control), caption);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(caption);
    } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
        group->setTitle(caption);
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(label->buddy() ? caption : LabelDisplayText(caption));
    } else {
        control->setWindowTitle(caption);
    }
    return true;
}
