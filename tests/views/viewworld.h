#pragma once

#include "platform/qnamhttp.h"
#include "service/tokenstore.h"
#include "state/store.h"

#include "support/fakeplatform.h"
#include "support/scriptedserver.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTimeZone>

#include <memory>

/// Everything a panel needs to run for real: a Store on the real HTTP stack against a scripted
/// server, private XDG folders for the token file, a clock fixed at 10:00 on a Tuesday and the
/// recording desktop doubles. Create it once the application exists.
class ViewWorld
{
public:
    ViewWorld()
    {
        settings.values.insert(QStringLiteral("didSetLoginDefault"), true);
        clock.current = morning();
    }

    ~ViewWorld() { stop(); }

    /// 10:00 local time on the day the views are shown.
    static QDateTime morning() { return QDateTime(QDate(2025, 3, 4), QTime(10, 0)); }

    /// An instant `minutes` after 10:00 of the shown day, `days` days later, as the service writes it.
    static QString at(int minutes, int days = 0)
    {
        return morning().addDays(days).addSecs(qint64(minutes) * 60).toUTC().toString(Qt::ISODate);
    }

    /// Ends the previous Store (if any) and starts a new one, signed in or out. Scripts made before
    /// the call answer its first requests.
    Store &start(bool signedIn)
    {
        stop();
        clock.current = morning();
        TokenStore::save(signedIn ? std::optional<QString>(QStringLiteral("vesk_test")) : std::nullopt);
        store = std::make_unique<Store>(Services{http, clock, settings, loginItem, urlOpener, clipboard, sounds,
                                                 server.url(), QUrl(QStringLiteral("https://app.vesk.example"))});
        store->setFlashDuration(std::chrono::milliseconds(100));
        return *store;
    }

    /// Lets every request in flight end before the Store goes.
    void stop()
    {
        if (!store)
            return;
        http.abortAll();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        store.reset();
    }

    ScriptedServer::Answer &on(const char *method, const QByteArray &path)
    {
        return server.on(QByteArray(method), path);
    }

    TempXdg xdg;
    ScriptedServer server;
    QnamHttp http;
    FakeClock clock;
    FakeSettings settings;
    FakeLoginItem loginItem;
    FakeUrlOpener urlOpener;
    FakeClipboard clipboard;
    FakeSounds sounds;
    std::unique_ptr<Store> store;
};
