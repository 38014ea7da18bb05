#include "state/barstatus.h"

#include "state/store.h"

#include <QLocale>

namespace {

QString clockTime(const QDateTime &instant)
{
    return QLocale::system().toString(instant.toLocalTime().time(), QLocale::ShortFormat);
}

} // namespace

QJsonObject barStatus(const Store &store)
{
    QString tooltip;
    QString kind = QStringLiteral("idle");
    const std::optional<Meeting> next = store.next();
    const QDateTime now = store.now();
    if (!store.hasToken()) {
        kind = QStringLiteral("signed-out");
        tooltip = QStringLiteral("Vesk: signed out");
    } else if (!next) {
        tooltip = QStringLiteral("No more meetings today");
    } else if (now >= next->startsAt) {
        kind = QStringLiteral("now");
        tooltip = QStringLiteral("Now: %1, until %2").arg(next->title, clockTime(next->endsAt));
    } else {
        const QDate day = next->startsAt.toLocalTime().date();
        const QDate today = now.toLocalTime().date();
        if (day == today && now.msecsTo(next->startsAt) < 60 * 60 * 1000)
            kind = QStringLiteral("soon");
        const QString when = day == today ? QString()
                             : day == today.addDays(1)
                                 ? QStringLiteral("tomorrow ")
                                 : QLocale::system().toString(day, QLocale::ShortFormat) + u' ';
        tooltip = QStringLiteral("Next: %1, %2%3").arg(next->title, when, clockTime(next->startsAt));
    }
    return QJsonObject{{QStringLiteral("text"), store.menuTitle()},
                       {QStringLiteral("tooltip"), tooltip},
                       {QStringLiteral("class"), kind}};
}
