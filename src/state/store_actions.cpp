#include "service/messages.h"
#include "state/store.h"

#include <QJsonArray>
#include <QPointer>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {

/// The line under a drafted mail that says what it rests on.
QString noteFor(const QString &action, const QJsonObject &reply)
{
    if (action != "draft"_L1)
        return u"Three open times from your calendar."_s;
    const QJsonValue basis = reply.value("basis"_L1);
    QStringList notes;
    if (basis.isArray()) {
        const QJsonArray entries = basis.toArray();
        for (const QJsonValue &entry : entries) {
            if (!entry.isString())
                return u"No notes found, so this draft is generic."_s;
            notes.append(entry.toString());
        }
    }
    if (notes.isEmpty())
        return u"No notes found, so this draft is generic."_s;
    return u"Based on: "_s + notes.join("; "_L1);
}

} // namespace

void Store::mark(const Meeting &meeting, const QString &action)
{
    startTask([this, meeting, action] { markTask(meeting, action); });
}

void Store::compose(const Meeting &meeting, const QString &action)
{
    startTask([this, meeting, action] { composeTask(meeting, action); });
}

QCoro::Task<> Store::markTask(Meeting meeting, QString action)
{
    QPointer<Store> self(this);
    const QString id = meeting.id;
    addBusy(id);
    const std::optional<QJsonObject> reply = co_await m_api.post(id, action);
    if (!self)
        co_return;
    // Whatever the object says (an "error" included), the service heard us: reload so the row
    // shows the meeting's new status. An earlier error stays until the next draft request.
    if (reply) {
        co_await refreshTask();
        if (!self)
            co_return;
    } else {
        setActionError(id, Messages::unreachable());
    }
    removeBusy(id);
}

QCoro::Task<> Store::composeTask(Meeting meeting, QString action)
{
    QPointer<Store> self(this);
    const QString id = meeting.id;
    addBusy(id);
    setActionError(id, std::nullopt);
    const std::optional<QJsonObject> reply = co_await m_api.post(id, action);
    if (!self)
        co_return;
    if (!reply) {
        setActionError(id, Messages::unreachable());
    } else if (const std::optional<QString> error = VeskApi::errorText(*reply)) {
        setActionError(id, *error);
    } else {
        const QJsonValue subject = reply->value("subject"_L1);
        const QJsonValue body = reply->value("body"_L1);
        Composed draft;
        draft.subject = subject.isString() ? subject.toString() : meeting.title;
        draft.body = body.isString() ? body.toString() : QString();
        draft.note = noteFor(action, *reply);
        setComposed(id, std::move(draft));
    }
    removeBusy(id);
}

void Store::showFlash(QString text)
{
    setFlash(std::move(text));
    // The clearing waits on a timer the Store owns (QTimer runs on the monotonic clock), not in a
    // suspended coroutine: a Store that goes while it waits leaves nothing behind. The text is
    // cleared whatever it is by then: a later flash set meanwhile goes with this one.
    QTimer::singleShot(m_flashDuration, this, [this] { setFlash(QString()); });
}
