#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>

// The object the map page reaches as window.external. Its five members are the only calls the
// page can make into the program; each runs the handler it was given, or does nothing when it
// has none. Page calls arrive on the user-interface thread while the program processes events.
class TMyExternal : public QObject {
    Q_OBJECT
public:
    struct THandlers {
        std::function<void(double lng, double lat)> DoOnLngLat;
        std::function<void(double ltLng, double ltLat, double rbLng, double rbLat)> DoOnBounds;
        std::function<void(const QString& key, const QString& addr)> DoOnAddress;
        std::function<void(double lng, double lat)> DoOnHotPoint;
        std::function<void(const QString& latLngAll)> DoOnGeoPoint;
    };

    explicit TMyExternal(THandlers handlers, QObject* parent = nullptr);

    // The members, in their fixed order; the page matches them without regard to case.
    static const QStringList& MemberNames();

signals:
    // Every call the page made, after its handler ran: the member's name and the values.
    void MemberCalled(const QString& member, const QVariantList& values);

public slots:
    void DoOnLngLat(double _lng, double _lat);
    void DoOnBounds(double _lt_lng, double _lt_lat, double _rb_lng, double _rb_lat);
    void DoOnAddress(const QString& _key, const QString& _addr);
    void DoOnHotPoint(double _lng, double _lat);
    void DoOnGeoPoint(const QString& _latlngall);

private:
    THandlers FHandlers;
};
