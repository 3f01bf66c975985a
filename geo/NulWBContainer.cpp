#include "geo/NulWBContainer.h"

#include <QWebEnginePage>

TNulWBContainer::TNulWBContainer(QObject* parent) : QObject(parent) {}

TNulWBContainer::~TNulWBContainer() = default;

void TNulWBContainer::Attach(QWebEnginePage* page)
{
    Q_ASSERT(page);
    if (FPage && FPage != page)
        Detach();
    FPage = page;
}

void TNulWBContainer::Detach() { FPage = nullptr; }
