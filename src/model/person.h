#pragma once

#include <QJsonObject>
#include <QString>

/// One attendee of a meeting, as the day feed lists it.
struct Person
{
    Q_GADGET
    Q_PROPERTY(QString name MEMBER name CONSTANT)
    Q_PROPERTY(QString email MEMBER email CONSTANT)
    Q_PROPERTY(QString rsvp MEMBER rsvp CONSTANT)

public:
    QString name;
    QString email;
    QString rsvp;

    QJsonObject toJson() const;
    friend bool operator==(const Person &, const Person &) = default;
};

size_t qHash(const Person &person, size_t seed = 0) noexcept;
