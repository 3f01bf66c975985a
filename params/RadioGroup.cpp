#include "params/RadioGroup.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

TRadioGroup::TRadioGroup(const QString& name, const QString& caption, const QStringList& items, QWidget* parent)
    : QGroupBox(caption, parent), FGroup(new QButtonGroup(this))
{
    setObjectName(name);
    auto* layout = new QVBoxLayout(this);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        button->setObjectName(QStringLiteral("%1_%2").arg(name).arg(i));
        FGroup->addButton(button, i);
        FButtons.append(button);
        layout->addWidget(button);
    }
    layout->addStretch(1);
}

int TRadioGroup::ItemIndex() const
{
    return FGroup->checkedId();
}

void TRadioGroup::SetItemIndex(int index)
{
    if (index >= 0 && index < FButtons.size()) {
        FButtons[index]->setChecked(true);
        return;
    }
    // An exclusive group cannot uncheck its checked button; lift exclusivity for the moment.
    FGroup->setExclusive(false);
    for (QRadioButton* b : FButtons)
        b->setChecked(false);
    FGroup->setExclusive(true);
}

QStringList TRadioGroup::Items() const
{
    QStringList items;
    for (const QRadioButton* b : FButtons)
        items << b->text();
    return items;
}

void TRadioGroup::SetItems(const QStringList& items)
{
    for (int i = 0; i < FButtons.size() && i < items.size(); ++i)
        FButtons[i]->setText(items[i]);
}
