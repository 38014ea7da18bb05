#include "platform/sounds.h"
#include "service/messages.h"
#include "state/store.h"

#include <QPointer>

using namespace Qt::Literals::StringLiterals;

namespace {

QString unreadable()
{
    return u"Couldn't read that. Try \u201CCoffee with Nils tomorrow at 3\u201D."_s;
}

} // namespace

void Store::setQaText(const QString &text)
{
    set(m_qaText, text, &Store::qaTextChanged);
}

void Store::setQaTitle(const QString &title)
{
    if (!m_qaDraft || m_qaDraft->title == title)
        return;
    QADraft draft = *m_qaDraft;
    draft.title = title;
    setQaDraft(std::move(draft));
}

void Store::setQaConference(const QString &conference)
{
    if (!m_qaDraft || m_qaDraft->conference == conference)
        return;
    QADraft draft = *m_qaDraft;
    draft.conference = conference;
    setQaDraft(std::move(draft));
}

void Store::setQaPersonName(int index, const QString &name)
{
    editQaPerson(index, &QAPerson::name, name);
}

void Store::setQaPersonEmail(int index, const QString &email)
{
    editQaPerson(index, &QAPerson::email, email);
}

void Store::chooseQaCandidate(int index, const PersonHit &hit)
{
    if (!m_qaDraft || index < 0 || index >= m_qaDraft->people.size())
        return;
    QADraft draft = *m_qaDraft;
    draft.people[index].email = hit.email;
    draft.people[index].name = hit.name;
    setQaDraft(std::move(draft));
}

void Store::typeQaPersonEmail(int index, const QString &text)
{
    setQaPersonEmail(index, mailAddressIn(text).value_or(QString()));
}

void Store::editQaPerson(int index, std::optional<QString> QAPerson::*field, const QString &text)
{
    if (!m_qaDraft || index < 0 || index >= m_qaDraft->people.size())
        return;
    // An empty text means the field holds nothing.
    const std::optional<QString> value = text.isEmpty() ? std::nullopt : std::optional<QString>(text);
    if (m_qaDraft->people.at(index).*field == value)
        return;
    QADraft draft = *m_qaDraft;
    draft.people[index].*field = value;
    setQaDraft(std::move(draft));
}

void Store::clearQaDraft()
{
    setQaDraft(std::nullopt);
}

void Store::quickDraft()
{
    startTask([this] { quickDraftTask(); });
}

void Store::quickCreate()
{
    startTask([this] { quickCreateTask(); });
}

QCoro::Task<> Store::quickDraftTask()
{
    QPointer<Store> self(this);
    // Sent trimmed; the field keeps what the user typed.
    const QString text = m_qaText.trimmed();
    if (text.isEmpty() || !m_api.hasToken())
        co_return;

    set(m_qaBusy, true, &Store::qaBusyChanged);
    set(m_qaError, QString(), &Store::qaErrorChanged);
    set(m_qaDone, QString(), &Store::qaDoneChanged);
    setQaDraft(std::nullopt);

    const VeskApi::JsonReply reply = co_await m_api.quickAdd(text);
    if (!self)
        co_return;

    if (!reply.delivered) {
        set(m_qaError, Messages::unreachable(), &Store::qaErrorChanged);
    } else {
        const std::optional<QJsonObject> &object = reply.object;
        const std::optional<QString> error = object ? VeskApi::errorText(*object) : std::nullopt;
        if (error) {
            set(m_qaError, *error, &Store::qaErrorChanged);
        } else if (std::optional<QADraft> draft = object ? QADraft::fromJson(*object) : std::nullopt) {
            setQaDraft(std::move(draft));
        } else {
            set(m_qaError, unreadable(), &Store::qaErrorChanged);
        }
    }
    set(m_qaBusy, false, &Store::qaBusyChanged);
}

QCoro::Task<> Store::quickCreateTask()
{
    QPointer<Store> self(this);
    // A draft without a time cannot be created; the card offers open times instead.
    if (!m_qaDraft || !m_qaDraft->start)
        co_return;
    const QADraft draft = *m_qaDraft;

    set(m_qaBusy, true, &Store::qaBusyChanged);
    set(m_qaError, QString(), &Store::qaErrorChanged);

    const std::optional<QJsonObject> reply = co_await m_api.createEvent(draft);
    if (!self)
        co_return;

    if (!reply) {
        set(m_qaError, Messages::unreachable(), &Store::qaErrorChanged);
    } else if (const QJsonValue ok = reply->value("ok"_L1); ok.isBool() && ok.toBool()) {
        QString done = u"Added \u201C"_s + draft.title + u"\u201D"_s;
        if (!draft.people.isEmpty())
            done += ". Invites sent."_L1;
        set(m_qaDone, done, &Store::qaDoneChanged);
        setQaDraft(std::nullopt);
        setQaText(QString());
        showFlash(u"added \u2713"_s);
        m_services.sounds.play(Sounds::Sound::Created);
        startTask([this] { refreshTask(); });
    } else {
        // The draft stays so the user can correct it and try again.
        set(m_qaError, VeskApi::errorText(*reply).value_or(u"Couldn't create it."_s), &Store::qaErrorChanged);
    }
    set(m_qaBusy, false, &Store::qaBusyChanged);
}
