#include "platform/clipboard.h"
#include "platform/sounds.h"
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

} // namespace

void Store::setForQuery(const QString &text)
{
    if (!set(m_forQuery, text, &Store::forQueryChanged))
        return;
    Q_EMIT forTypedEmailChanged();
    // While a recipient is chosen the field is not shown and the text is not searched for.
    if (m_forWho)
        return;
    setAvailPreview(QString());
    searchPeople(text);
}

void Store::setForDuration(int minutes)
{
    if (set(m_forDuration, minutes, &Store::forDurationChanged))
        setAvailPreview(QString());
}

void Store::setAvailPreview(const QString &text)
{
    set(m_availPreview, text, &Store::availPreviewChanged);
}

void Store::chooseForWho(const PersonHit &hit)
{
    set(m_forWho, std::optional<PersonHit>(hit), &Store::forWhoChanged);
    setAvailPreview(QString());
}

void Store::clearForWho()
{
    // The field comes back empty; the empty text is not searched for.
    if (set(m_forQuery, QString(), &Store::forQueryChanged))
        Q_EMIT forTypedEmailChanged();
    set(m_forWho, std::optional<PersonHit>(), &Store::forWhoChanged);
    setAvailPreview(QString());
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

    const std::optional<QJsonObject> reply =
        co_await m_api.availability(duration, name.value_or(QString()), email.value_or(QString()));
    if (!self)
        co_return;

    const std::optional<QString> error = reply ? VeskApi::errorText(*reply) : std::nullopt;
    const QJsonValue text = reply ? reply->value("text"_L1) : QJsonValue();
    if (!reply) {
        set(m_availError, Messages::unreachable(), &Store::availErrorChanged);
    } else if (error) {
        set(m_availError, *error, &Store::availErrorChanged);
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
    std::optional<QList<PersonHit>> hits = co_await m_api.searchPeople(std::move(text));
    if (!self || !hits || generation != m_searchGeneration)
        co_return;
    set(m_people, std::move(*hits), &Store::peopleChanged);
}
