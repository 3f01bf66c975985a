#pragma once

#include <QObject>
#include <QPointer>
#include <QWebEnginePage>

// The host of the map browser: it is given the browser's page once the browser exists and
// leaves the browser's own behaviour (context menu, keys, addresses) in place. This base offers
// the page no external object; TExternalContainer adds one.
class TNulWBContainer : public QObject {
    Q_OBJECT
public:
    explicit TNulWBContainer(QObject* parent = nullptr);
    ~TNulWBContainer() override;

    // Hosts this page from now on; every document it creates afterwards sees the host.
    // A host serves one page: attaching another page first detaches the old one.
    virtual void Attach(QWebEnginePage* page);
    virtual void Detach();
    QWebEnginePage* Page() const { return FPage; }

private:
    QPointer<QWebEnginePage> FPage;
};
