#include "app/KeyFilters.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QWidget>

namespace {

class TKeyFilterObject : public QObject {
public:
    TKeyFilterObject(TKeyFilter filter, QObject* parent) : QObject(parent), FFilter(filter) {}
    TKeyFilter Filter() const { return FFilter; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::InputMethod) {
            // Text an input method commits is typed text too: the refused characters go.
            auto* input = static_cast<QInputMethodEvent*>(event);
            QString kept;
            for (QChar c : input->commitString())
                if (KeyFilterAccepts(FFilter, c))
                    kept += c;
            if (kept != input->commitString())
                input->setCommitString(kept, input->replacementStart(), input->replacementLength());
            return false;
        }
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Paste) || IsShortcutKey(key->modifiers()))
            return false;
        const QString text = key->text();
        if (text.isEmpty())
            return false;
        for (QChar c : text)
            if (!KeyFilterAccepts(FFilter, c))
                return true; // discarded
        return false;
    }

private:
    TKeyFilter FFilter;
};

// Drops the text of a shortcut key before a text field types it. The shortcut itself, when one
// matches and is enabled, has run before the key is ever pressed into a field.
class TShortcutKeyGuard : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        // Ctrl and Ctrl+Shift keys are never typed by Qt's fields; they are the fields' own
        // bindings (Ctrl+V, Ctrl+A). Alt and Meta keys would be typed.
        const Qt::KeyboardModifiers m = key->modifiers();
        if (!IsShortcutKey(m) || (m & Qt::ControlModifier) || !IsTextField(watched))
            return false;
        const QString text = key->text();
        return !text.isEmpty() && text.at(0).isPrint();
    }

private:
    static bool IsTextField(QObject* o)
    {
        if (auto* edit = qobject_cast<QLineEdit*>(o))
            return !edit->isReadOnly();
        if (auto* combo = qobject_cast<QComboBox*>(o))
            return combo->isEditable();
        return qobject_cast<QAbstractSpinBox*>(o) != nullptr;
    }
};

} // namespace

bool IsShortcutKey(Qt::KeyboardModifiers modifiers)
{
    // Ctrl+Alt together is AltGr on some keyboards and systems: it types characters.
    const Qt::KeyboardModifiers ctrlAlt = Qt::ControlModifier | Qt::AltModifier;
    if ((modifiers & ctrlAlt) == ctrlAlt)
        return false;
    return modifiers & (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier);
}

void KeepShortcutKeysOutOfFields()
{
    static QPointer<QObject> installed;
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || (installed && installed->parent() == app))
        return;
    installed = new TShortcutKeyGuard(app);
    app->installEventFilter(installed);
}

bool KeyFilterAccepts(TKeyFilter filter, QChar c)
{
    const ushort u = c.unicode();
    if (u == 8)
        return true;
    // Control characters (Enter, Tab, Escape) are not typed into the field; let the widget
    // handle them as keys.
    if (u < 0x20 || u == 0x7f)
        return true;
    const bool digit = u >= '0' && u <= '9';
    switch (filter) {
    case TKeyFilter::Digits:
        return digit;
    case TKeyFilter::SignedNumber:
        return digit || u == '-';
    case TKeyFilter::Phone:
        return digit || u == '+';
    case TKeyFilter::Coordinate:
        return digit || u == '+' || u == '-' || u == '.';
    case TKeyFilter::Name:
        return digit || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == ' ' || u == '-' || u == '_';
    }
    return false;
}

void InstallKeyFilter(QWidget* field, TKeyFilter filter)
{
    if (!field)
        return;
    // An editable combo box receives the typed keys itself and hands them to its line edit
    // directly, past the line edit's filters: both are filtered.
    QList<QWidget*> targets{field};
    if (auto* combo = qobject_cast<QComboBox*>(field); combo && combo->lineEdit())
        targets << combo->lineEdit();
    for (QWidget* target : targets) {
        for (QObject* child : target->children())
            if (auto* old = dynamic_cast<TKeyFilterObject*>(child)) {
                target->removeEventFilter(old);
                delete old;
            }
        target->installEventFilter(new TKeyFilterObject(filter, target));
    }
}
