#include "model/jsonreader.h"

#include <QJsonDocument>

void JsonReader::nest(const QString &prefix)
{
    if (!m_failed)
        return;
    if (m_path.isEmpty())
        m_path = prefix;
    else
        m_path = prefix + u'.' + m_path;
}

void JsonReader::fail(QString path, QString description)
{
    if (m_failed)
        return;
    m_failed = true;
    m_path = std::move(path);
    m_description = std::move(description);
}

QJsonObject JsonReader::document(const QByteArray &body)
{
    if (m_failed)
        return {};
    QJsonParseError error;
    const QJsonDocument parsed = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError)
        fail(QString(), QStringLiteral("The data isn't valid JSON."));
    else if (!parsed.isObject())
        fail(QString(), QStringLiteral("Expected object at the top level."));
    return parsed.object();
}

QString JsonReader::typeName(QJsonValue::Type type)
{
    switch (type) {
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Bool:
        return QStringLiteral("boolean");
    case QJsonValue::Double:
        return QStringLiteral("number");
    case QJsonValue::String:
        return QStringLiteral("text");
    case QJsonValue::Array:
        return QStringLiteral("array");
    case QJsonValue::Object:
        return QStringLiteral("object");
    case QJsonValue::Undefined:
        break;
    }
    return QStringLiteral("nothing");
}

QJsonValue JsonReader::required(const QJsonObject &o, QLatin1StringView key, QJsonValue::Type type)
{
    if (m_failed)
        return {};
    const auto it = o.constFind(key);
    if (it == o.constEnd()) {
        fail(QString(key), QStringLiteral("No value for the required key \"%1\".").arg(key));
        return {};
    }
    const QJsonValue value = it.value();
    if (value.type() != type) {
        fail(QString(key),
             QStringLiteral("Expected %1 but found %2.").arg(typeName(type), typeName(value.type())));
        return {};
    }
    return value;
}

QString JsonReader::text(const QJsonObject &o, QLatin1StringView key)
{
    return required(o, key, QJsonValue::String).toString();
}

std::optional<QString> JsonReader::optionalText(const QJsonObject &o, QLatin1StringView key)
{
    if (m_failed)
        return std::nullopt;
    const auto it = o.constFind(key);
    if (it == o.constEnd() || it.value().isNull())
        return std::nullopt;
    if (!it.value().isString()) {
        fail(QString(key), QStringLiteral("Expected text but found %1.").arg(typeName(it.value().type())));
        return std::nullopt;
    }
    return it.value().toString();
}

bool JsonReader::boolean(const QJsonObject &o, QLatin1StringView key)
{
    return required(o, key, QJsonValue::Bool).toBool();
}

qint64 JsonReader::integer(const QJsonObject &o, QLatin1StringView key)
{
    const QJsonValue value = required(o, key, QJsonValue::Double);
    if (m_failed)
        return 0;
    // toInteger() yields its default for fractions and for values outside the 64-bit range, so two
    // different defaults tell a real integer apart.
    const qint64 a = value.toInteger(0);
    const qint64 b = value.toInteger(1);
    if (a != b) {
        fail(QString(key), QStringLiteral("Number %1 is not a 64-bit integer.").arg(value.toDouble()));
        return 0;
    }
    return a;
}

QJsonArray JsonReader::array(const QJsonObject &o, QLatin1StringView key)
{
    return required(o, key, QJsonValue::Array).toArray();
}

QJsonObject JsonReader::object(const QJsonValue &v, const QString &path)
{
    if (m_failed)
        return {};
    if (!v.isObject()) {
        fail(path, QStringLiteral("Expected object but found %1.").arg(typeName(v.type())));
        return {};
    }
    return v.toObject();
}

QStringList JsonReader::textArray(const QJsonObject &o, QLatin1StringView key)
{
    const QJsonArray values = array(o, key);
    QStringList out;
    out.reserve(values.size());
    for (qsizetype i = 0; i < values.size() && !m_failed; ++i) {
        const QJsonValue v = values.at(i);
        if (!v.isString()) {
            fail(QStringLiteral("%1[%2]").arg(key).arg(i),
                 QStringLiteral("Expected text but found %1.").arg(typeName(v.type())));
            break;
        }
        out.append(v.toString());
    }
    return out;
}
