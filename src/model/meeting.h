#pragma once

#include "model/person.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

/// One meeting of the day feed. Lists track it by `id`; equality covers every field.
struct Meeting
{
    Q_GADGET
    Q_PROPERTY(QString id MEMBER id CONSTANT)
    Q_PROPERTY(QString title MEMBER title CONSTANT)
    Q_PROPERTY(QDateTime startsAt MEMBER startsAt CONSTANT)
    Q_PROPERTY(QDateTime endsAt MEMBER endsAt CONSTANT)
    Q_PROPERTY(QString room MEMBER room CONSTANT)
    Q_PROPERTY(bool hasJoinUrl READ hasJoinUrl CONSTANT)
    Q_PROPERTY(QString joinUrl READ joinUrlText CONSTANT)
    Q_PROPERTY(QString status MEMBER status CONSTANT)
    Q_PROPERTY(QString riskLevel MEMBER riskLevel CONSTANT)
    Q_PROPERTY(qint64 riskScore MEMBER riskScore CONSTANT)
    Q_PROPERTY(bool hasAction READ hasAction CONSTANT)
    Q_PROPERTY(QString action READ actionText CONSTANT)
    Q_PROPERTY(bool watched MEMBER watched CONSTANT)
    Q_PROPERTY(QList<Person> people MEMBER people CONSTANT)

public:
    QString id;
    QString title;
    QDateTime startsAt;
    QDateTime endsAt;
    QString room;
    std::optional<QString> joinUrl;
    QString status;
    QString riskLevel;
    qint64 riskScore = 0;
    std::optional<QString> action;
    bool watched = false;
    QList<Person> people;

    bool hasJoinUrl() const { return joinUrl.has_value(); }
    QString joinUrlText() const { return joinUrl.value_or(QString()); }
    bool hasAction() const { return action.has_value(); }
    QString actionText() const { return action.value_or(QString()); }

    /// The JSON form; absent optionals are left out.
    QJsonObject toJson() const;
    friend bool operator==(const Meeting &, const Meeting &) = default;
};

size_t qHash(const Meeting &meeting, size_t seed = 0) noexcept;
