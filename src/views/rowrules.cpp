#include "views/rowrules.h"

using namespace Qt::Literals::StringLiterals;

bool RowRules::isLive(const Meeting &m, const QDateTime &now)
{
    return m.startsAt <= now && now < m.endsAt;
}

bool RowRules::isPast(const Meeting &m, const QDateTime &now)
{
    return now >= m.endsAt;
}

qreal RowRules::rowOpacity(const Meeting &m, const QDateTime &now, bool isOpen)
{
    const bool needsAttention = m.status == u"at_risk" || m.status == u"unconfirmed";
    return isPast(m, now) && !isOpen && !needsAttention ? 0.72 : 1.0;
}

bool RowRules::showsNextStep(const Meeting &m, const QDateTime &now)
{
    return m.action && !m.action->isEmpty() && !m.action->startsWith(u"Nothing yet"_s) && now < m.endsAt;
}
