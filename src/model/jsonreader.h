#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>

#include <optional>

/// Strict reading of JSON replies on Qt's parser, which reads numbers the same way under every
/// locale. The first failure is kept with the path of the offending value; later reads on a failed
/// reader are no-ops.
class JsonReader
{
public:
    bool failed() const { return m_failed; }
    const QString &errorPath() const { return m_path; }
    const QString &errorDescription() const { return m_description; }

    /// Prefixes the path of a failure found while reading a nested value (e.g. "meetings[2]").
    void nest(const QString &prefix);
    void fail(QString path, QString description);

    /// The top-level object of a JSON text; fails when the text is not JSON or holds no object.
    [[nodiscard]] QJsonObject document(const QByteArray &body);

    [[nodiscard]] QString text(const QJsonObject &o, QLatin1StringView key);
    [[nodiscard]] std::optional<QString> optionalText(const QJsonObject &o, QLatin1StringView key);
    [[nodiscard]] bool boolean(const QJsonObject &o, QLatin1StringView key);
    [[nodiscard]] qint64 integer(const QJsonObject &o, QLatin1StringView key);
    [[nodiscard]] QJsonArray array(const QJsonObject &o, QLatin1StringView key);
    [[nodiscard]] QJsonObject object(const QJsonValue &v, const QString &path);
    [[nodiscard]] QStringList textArray(const QJsonObject &o, QLatin1StringView key);

    /// A required array of objects, each read by `decode(reader, object)`; a failure inside an
    /// element is reported under "key[index]".
    template<typename T, typename Decode>
    [[nodiscard]] QList<T> objectArray(const QJsonObject &o, QLatin1StringView key, Decode decode)
    {
        const QJsonArray values = array(o, key);
        QList<T> out;
        out.reserve(values.size());
        for (qsizetype i = 0; i < values.size() && !m_failed; ++i) {
            const QJsonObject element = object(values.at(i), QString());
            if (!m_failed)
                out.append(decode(*this, element));
            if (m_failed)
                nest(QStringLiteral("%1[%2]").arg(key).arg(i));
        }
        return out;
    }

private:
    QJsonValue required(const QJsonObject &o, QLatin1StringView key, QJsonValue::Type type);
    static QString typeName(QJsonValue::Type type);

    bool m_failed = false;
    QString m_path;
    QString m_description;
};
