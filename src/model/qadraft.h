#pragma once

#include "model/personhit.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

/// One person named in a quick-add sentence; the card may fill in `name` and `email`.
struct QAPerson
{
    Q_GADGET
    Q_PROPERTY(QString query MEMBER query CONSTANT)
    Q_PROPERTY(bool hasName READ hasName CONSTANT)
    Q_PROPERTY(QString name READ nameText CONSTANT)
    Q_PROPERTY(bool hasEmail READ hasEmail CONSTANT)
    Q_PROPERTY(QString email READ emailText CONSTANT)
    Q_PROPERTY(QList<PersonHit> candidates MEMBER candidates CONSTANT)

public:
    QString query;
    std::optional<QString> name;
    std::optional<QString> email;
    QList<PersonHit> candidates;

    bool hasName() const { return name.has_value(); }
    QString nameText() const { return name.value_or(QString()); }
    bool hasEmail() const { return email.has_value(); }
    QString emailText() const { return email.value_or(QString()); }

    [[nodiscard]] static QAPerson decode(JsonReader &reader, const QJsonObject &object);
    QJsonObject toJson() const;
    friend bool operator==(const QAPerson &, const QAPerson &) = default;
};

/// The draft event the service made of a quick-add sentence. The card edits it in place.
struct QADraft
{
    Q_GADGET
    Q_PROPERTY(QString intent MEMBER intent CONSTANT)
    Q_PROPERTY(QString title MEMBER title CONSTANT)
    Q_PROPERTY(bool hasStart READ hasStart CONSTANT)
    Q_PROPERTY(QString start READ startText CONSTANT)
    Q_PROPERTY(bool hasEnd READ hasEnd CONSTANT)
    Q_PROPERTY(QString end READ endText CONSTANT)
    Q_PROPERTY(int durationMin MEMBER durationMin CONSTANT)
    Q_PROPERTY(QList<QAPerson> people MEMBER people CONSTANT)
    Q_PROPERTY(QString conference MEMBER conference CONSTANT)
    Q_PROPERTY(bool hasLocation READ hasLocation CONSTANT)
    Q_PROPERTY(QString location READ locationText CONSTANT)
    Q_PROPERTY(QStringList conflicts MEMBER conflicts CONSTANT)
    Q_PROPERTY(bool hasZoom MEMBER hasZoom CONSTANT)
    Q_PROPERTY(bool hasWhen READ hasWhen CONSTANT)
    Q_PROPERTY(QString when READ whenText CONSTANT)

public:
    QString intent;
    QString title;
    std::optional<QString> start;
    std::optional<QString> end;
    int durationMin = 0;
    QList<QAPerson> people;
    QString conference;
    std::optional<QString> location;
    QStringList conflicts;
    bool hasZoom = false;
    std::optional<QString> when;

    bool hasStart() const { return start.has_value(); }
    QString startText() const { return start.value_or(QString()); }
    bool hasEnd() const { return end.has_value(); }
    QString endText() const { return end.value_or(QString()); }
    bool hasLocation() const { return location.has_value(); }
    QString locationText() const { return location.value_or(QString()); }
    bool hasWhen() const { return when.has_value(); }
    QString whenText() const { return when.value_or(QString()); }

    /// Strict decoding: nothing when a required key is missing or any key has the wrong type.
    [[nodiscard]] static std::optional<QADraft> fromJson(const QJsonObject &object);
    QJsonObject toJson() const;
    friend bool operator==(const QADraft &, const QADraft &) = default;
};
