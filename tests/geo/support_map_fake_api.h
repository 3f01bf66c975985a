#pragma once

// The map tests' stand-in for the maps API: a small HTTP server on 127.0.0.1 that answers
// "/maps/api/js" with a script defining google.maps. The script keeps every object the page
// creates in window.__fake.created and offers the tests clicks and drags on the map.

#include <QByteArray>
#include <QStringList>
#include <QTcpServer>
#include <QVariant>

class QWebEngineView;
class TMapGroup;

class TFakeMapsServer : public QObject {
    Q_OBJECT
public:
    explicit TFakeMapsServer(QObject* parent = nullptr);
    // "127.0.0.1:<port>", the text for the map host field.
    QString Host() const;
    // The request targets seen so far ("/maps/api/js?sensor=false", ...), in order.
    const QStringList& Requests() const { return FRequests; }
    // The fake API script.
    static QByteArray Script();

private:
    void Serve(class QTcpSocket* socket);
    QTcpServer FServer;
    QStringList FRequests;
};

// Runs a script in the page and returns its value (waits up to timeoutMs; invalid on time-out).
QVariant EvalInPage(QWebEngineView* view, const QString& script, int timeoutMs = 10000);

// Loads the map page into the group from the fake server and waits until the page has made its
// map and marker manager. The group is shown at a fixed size so the map has a 640 x 480 canvas.
bool LoadFakeMap(TMapGroup& group, TFakeMapsServer& server);
