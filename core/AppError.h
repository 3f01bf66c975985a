#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// Every error of the system is an exception carrying the text shown to the user;
// it is caught at the edge (a button handler, the receive loop, start-up).
class EAppError : public std::exception {
public:
    explicit EAppError(QString message) : FMessage(std::move(message)), FWhat(FMessage.toLocal8Bit()) {}
    const QString& Message() const { return FMessage; }
    const char* what() const noexcept override { return FWhat.constData(); }

private:
    QString FMessage;
    QByteArray FWhat;
};
