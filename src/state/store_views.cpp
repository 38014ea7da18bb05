#include "platform/clipboard.h"
#include "state/store.h"

#include <QPointer>

void Store::copyText(const QString &text)
{
    m_services.clipboard.setContent(text, QString());
}

void Store::copyTimesForDraft()
{
    if (!m_qaDraft)
        return;
    // The copy uses the draft shown when the button was pressed, even if it changes meanwhile.
    QADraft draft = *m_qaDraft;
    startTask([this, draft = std::move(draft)] { copyTimesForDraftTask(draft); });
}

QCoro::Task<> Store::copyTimesForDraftTask(QADraft draft)
{
    std::optional<QString> name;
    std::optional<QString> email;
    if (!draft.people.isEmpty()) {
        name = draft.people.first().name;
        email = draft.people.first().email;
    }
    QPointer<Store> self(this);
    co_await copyAvailabilityTask(name, email, draft.durationMin);
    if (!self)
        co_return;
    setQaDraft(std::nullopt);
    setQaText(QString());
}
