#pragma once

#include <QObject>
#include <QString>

// The page's word on its map, beside window.external: the page calls tovrikMapStatus(state,
// reason) with "ready" once its map shows, or "failed" and what failed ("script": the map library
// did not arrive, "key": the maps API refused the key, "tiles": no tile could be loaded).
// Kept apart from window.external, whose members are fixed.
class TMapStateReporter : public QObject {
    Q_OBJECT
public:
    explicit TMapStateReporter(QObject* parent = nullptr) : QObject(parent) {}

public slots:
    void Report(const QString& state, const QString& reason) { emit Reported(state, reason); }

signals:
    void Reported(const QString& state, const QString& reason);
};
