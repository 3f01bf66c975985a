#pragma once

#include "geo/MapStateReporter.h"
#include "geo/MyExternal.h"
#include "geo/NulWBContainer.h"

class QWebChannel;

// The browser host that hands the page its window.external: the external object is published
// on a web channel, and a script run at the creation of every document defines window.external
// as a stand-in that forwards the five members to it (names matched without regard to case,
// other names failing as on a host object). Calls made before the channel is open are kept and
// sent, in order, once it is. The same channel carries the page's word on its map
// (window.tovrikMapStatus, see TMapStateReporter).
class TExternalContainer : public TNulWBContainer {
    Q_OBJECT
public:
    explicit TExternalContainer(TMyExternal::THandlers handlers, QObject* parent = nullptr);
    ~TExternalContainer() override;

    void Attach(QWebEnginePage* page) override;
    void Detach() override;

    TMyExternal* ExternalObject() const { return FExternal; }
    TMapStateReporter* MapState() const { return FMapState; }

    // The script that defines window.external in every document (the web channel's client
    // library included).
    static QString BridgeScript();
    // Name of that script in the page's script collection.
    static const char* const BridgeScriptName;

private:
    TMyExternal* FExternal = nullptr;
    TMapStateReporter* FMapState = nullptr;
    QWebChannel* FChannel = nullptr;
};
