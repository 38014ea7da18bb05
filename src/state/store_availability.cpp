#include "model/jsonreader.h"
#include "platform/clipboard.h"
#include "platform/sounds.h"
#include "service/endpoints.h"
#include "service/messages.h"
#include "state/store.h"

#include <QPointer>
#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace {

std::optional<QString> present(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

/// Blanks and tabs only; a line break is part of the text.
QString trimBlanks(const QString &text)
{
    qsizetype from = 0;
    qsizetype to = text.size();
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (from < to && blank(text.at(from)))
        ++from;
    while (to > from && blank(text.at(to - 1)))
        --to;
    return text.mid(from, to - from);
}

/// The "people" list of a search reply; nothing when the reply does not decode.
std::optional<QList<PersonHit>> decodePeople(const QByteArray &body)
{
    const std::optional<QJsonObject> object = VeskApi::jsonObject(body);
    if (!object)
        return std::nullopt;
    JsonReader r;
    QList<PersonHit> hits = r.objectArray<PersonHit>(*object, "people"_L1, &PersonHit::decode);
    if (r.failed())
        return std::nullopt;
    return hits;
}

} // namespace

void Store::setForQuery(const QString &text)
{
    if (set(m_forQuery, text, &Store::forQueryChanged))
        Q_EMIT forTypedEmailChanged();
}

void Store::setForDuration(int minutes)
{
    set(m_forDuration, minutes, &Store::forDurationChanged);
}

void Store::setAvailPreview(const QString &text)
{
    set(m_availPreview, text, &Store::availPreviewChanged);
}

void Store::setForWho(const PersonHit &hit)
{
    set(m_forWho, std::optional<PersonHit>(hit), &Store::forWhoChanged);
}

void Store::clearForWho()
{
    set(m_forWho, std::optional<PersonHit>(), &Store::forWhoChanged);
}

std::optional<QString> Store::forTypedEmail() const
{
    return mailAddressIn(m_forQuery);
}

std::optional<QString> Store::mailAddressIn(const QString &text)
{
    static const QRegularExpression address(u"^[^\\s@]+@[^\\s@]+\\.[^\\s@]{2,}$"_s,
                                            QRegularExpression::UseUnicodePropertiesOption);
    const QString trimmed = trimBlanks(text);
    const QRegularExpressionMatch match = address.match(trimmed);
    // "$" also matches before a final line break; the address must be the whole text.
    if (!match.hasMatch() || match.capturedLength(0) != trimmed.size())
        return std::nullopt;
    return trimmed;
}

void Store::setCopyShortcut(const QString &keys)
{
    set(m_copyShortcut, keys, &Store::copyShortcutChanged);
}

void Store::copyAvailability(const QString &name, const QString &email, int duration)
{
    startTask(
        [this, name, email, duration] { copyAvailabilityTask(present(name), present(email), duration); });
}

void Store::copyForCurrent()
{
    startTask([this] { copyForCurrentTask(); });
}

void Store::searchPeople(const QString &text)
{
    startTask([this, text] { searchPeopleTask(text); });
}

QCoro::Task<> Store::copyForCurrentTask()
{
    std::optional<QString> name;
    std::optional<QString> email;
    if (m_forWho) {
        name = m_forWho->name;
        email = m_forWho->email;
    } else {
        email = forTypedEmail();
    }
    co_await copyAvailabilityTask(std::move(name), std::move(email), m_forDuration);
}

QCoro::Task<> Store::copyAvailabilityTask(std::optional<QString> name, std::optional<QString> email,
                                          int duration)
{
    QPointer<Store> self(this);
    set(m_availBusy, true, &Store::availBusyChanged);
    set(m_availError, QString(), &Store::availErrorChanged);

    QJsonObject body{{u"durationMin"_s, duration}};
    if (email && !email->isEmpty())
        body.insert(u"email"_s, *email);
    if (name && !name->isEmpty())
        body.insert(u"name"_s, *name);

    const std::optional<QJsonObject> reply = co_await postJSON(Endpoints::kAvailability.toString(), body);
    if (!self)
        co_return;

    const QJsonValue error = reply ? reply->value("error"_L1) : QJsonValue();
    const QJsonValue text = reply ? reply->value("text"_L1) : QJsonValue();
    if (!reply) {
        set(m_availError, Messages::unreachable(), &Store::availErrorChanged);
    } else if (error.isString()) {
        set(m_availError, error.toString(), &Store::availErrorChanged);
    } else if (!text.isString()) {
        set(m_availError, u"No times came back."_s, &Store::availErrorChanged);
    } else {
        const QJsonValue htmlValue = reply->value("html"_L1);
        QString html; // null: no HTML part
        if (htmlValue.isString()) {
            html = htmlValue.toString();
            if (html.isNull())
                html = u""_s;
        }
        m_services.clipboard.setContent(text.toString(), html);
        setAvailPreview(text.toString());
        showFlash(u"copied \u2713"_s);
        m_services.sounds.play(Sounds::Sound::Copied);
    }
    set(m_availBusy, false, &Store::availBusyChanged);
}

QCoro::Task<> Store::searchPeopleTask(QString text)
{
    QPointer<Store> self(this);
    // Searches are not cancelled; a reply is applied only while no newer search has started, so
    // a slow answer for an older text never replaces the hits of the text the user has now.
    const quint64 generation = ++m_searchGeneration;

    QUrl url = m_api.url(Endpoints::kPeople.toString());
    url.setQuery(QString::fromLatin1("q=" + QUrl::toPercentEncoding(text)), QUrl::StrictMode);
    const VeskApi::AuthorizedReply reply =
        co_await m_api.authorized(QByteArrayLiteral("GET"), url, std::nullopt, m_api.timeouts().people);
    if (!self)
        co_return;
    if (!reply || !reply->delivered || generation != m_searchGeneration)
        co_return;
    set(m_people, decodePeople(reply->body).value_or(QList<PersonHit>()), &Store::peopleChanged);
}
