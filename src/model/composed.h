#pragma once

#include <QObject>
#include <QString>

/// A mail draft the service wrote for one meeting.
struct Composed
{
    Q_GADGET
    Q_PROPERTY(QString subject MEMBER subject CONSTANT)
    Q_PROPERTY(QString body MEMBER body CONSTANT)
    Q_PROPERTY(QString note MEMBER note CONSTANT)

public:
    QString subject;
    QString body;
    QString note;

    friend bool operator==(const Composed &, const Composed &) = default;
};
