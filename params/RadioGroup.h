#pragma once

#include <QGroupBox>
#include <QList>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

// A captioned group of radio items with one item index: -1 while no item is selected.
// Its buttons are named after the group with the item's position ("RdGrp_01_2").
class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    TRadioGroup(const QString& name, const QString& caption, const QStringList& items, QWidget* parent = nullptr);

    int Count() const { return int(FButtons.size()); }
    int ItemIndex() const;
    // An index outside the items selects nothing.
    void SetItemIndex(int index);
    QStringList Items() const;
    // Replaces the items' texts in place (a translation); the selection stays.
    void SetItems(const QStringList& items);
    QRadioButton* Button(int index) const { return FButtons.value(index); }

private:
    QButtonGroup* FGroup;
    QList<QRadioButton*> FButtons;
};
