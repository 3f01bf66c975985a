#include "geo/MyExternal.h"

namespace {

// A handler's error must not escape into the web channel's dispatch; the page cannot see it
// anyway, as its calls do not wait for an answer.
template <typename F, typename... A>
void Run(const F& handler, A&&... args)
{
    if (!handler)
        return;
    try {
        handler(std::forward<A>(args)...);
    } catch (...) {
    }
}

} // namespace

TMyExternal::TMyExternal(THandlers handlers, QObject* parent) : QObject(parent), FHandlers(std::move(handlers))
{
    setObjectName(QStringLiteral("ExternalObject"));
}

const QStringList& TMyExternal::MemberNames()
{
    static const QStringList names = {QStringLiteral("DoOnLngLat"), QStringLiteral("DoOnBounds"),
                                      QStringLiteral("DoOnAddress"), QStringLiteral("DoOnHotPoint"),
                                      QStringLiteral("DoOnGeoPoint")};
    return names;
}

void TMyExternal::DoOnLngLat(double _lng, double _lat)
{
    Run(FHandlers.DoOnLngLat, _lng, _lat);
    emit MemberCalled(QStringLiteral("DoOnLngLat"), {_lng, _lat});
}

void TMyExternal::DoOnBounds(double _lt_lng, double _lt_lat, double _rb_lng, double _rb_lat)
{
    Run(FHandlers.DoOnBounds, _lt_lng, _lt_lat, _rb_lng, _rb_lat);
    emit MemberCalled(QStringLiteral("DoOnBounds"), {_lt_lng, _lt_lat, _rb_lng, _rb_lat});
}

void TMyExternal::DoOnAddress(const QString& _key, const QString& _addr)
{
    Run(FHandlers.DoOnAddress, _key, _addr);
    emit MemberCalled(QStringLiteral("DoOnAddress"), {_key, _addr});
}

void TMyExternal::DoOnHotPoint(double _lng, double _lat)
{
    Run(FHandlers.DoOnHotPoint, _lng, _lat);
    emit MemberCalled(QStringLiteral("DoOnHotPoint"), {_lng, _lat});
}

void TMyExternal::DoOnGeoPoint(const QString& _latlngall)
{
    Run(FHandlers.DoOnGeoPoint, _latlngall);
    emit MemberCalled(QStringLiteral("DoOnGeoPoint"), {_latlngall});
}
