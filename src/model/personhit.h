#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

class JsonReader;

/// A contact of the user as the service knows it; identified by `email`.
struct PersonHit
{
    Q_GADGET
    Q_PROPERTY(bool hasName READ hasName CONSTANT)
    Q_PROPERTY(QString name READ nameText CONSTANT)
    Q_PROPERTY(QString email MEMBER email CONSTANT)
    Q_PROPERTY(QString company MEMBER company CONSTANT)

public:
    std::optional<QString> name;
    QString email;
    QString company;

    bool hasName() const { return name.has_value(); }
    QString nameText() const { return name.value_or(QString()); }

    [[nodiscard]] static PersonHit decode(JsonReader &reader, const QJsonObject &object);
    QJsonObject toJson() const;
    friend bool operator==(const PersonHit &, const PersonHit &) = default;
};

size_t qHash(const PersonHit &hit, size_t seed = 0) noexcept;
