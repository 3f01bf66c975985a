#include "app/KeyFilters.h"

#include <QComboBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
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
        if (key->matches(QKeySequence::Paste))
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

} // namespace

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
