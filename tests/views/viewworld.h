#pragma once

#include "service/tokenstore.h"
#include "support/storeworld.h"

#include <QLocale>
#include <QTimeZone>

/// The Store world with a clock fixed at 10:00 on a Tuesday. Create it once the application exists.
class ViewWorld : public StoreWorld
{
public:
    ViewWorld() { clock.current = morning(); }

    /// 10:00 local time on the day the views are shown.
    static QDateTime morning() { return QDateTime(QDate(2025, 3, 4), QTime(10, 0)); }

    /// An instant `minutes` after 10:00 of the shown day, `days` days later, as the service writes it.
    static QString at(int minutes, int days = 0)
    {
        return morning().addDays(days).addSecs(qint64(minutes) * 60).toUTC().toString(Qt::ISODate);
    }

    /// Ends the previous Store (if any) and starts a new one; scripts made before answer its first requests.
    Store &start(bool signedIn)
    {
        stop();
        clock.current = morning();
        tokens.save(signedIn ? std::optional<QString>(QStringLiteral("vesk_test")) : std::nullopt);
        options.flashDuration = std::chrono::milliseconds(100);
        return makeStore(clipboard);
    }

    ScriptedServer::Answer &on(const char *method, const QByteArray &path)
    {
        return server.on(QByteArray(method), path);
    }
};
