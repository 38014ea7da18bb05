#pragma once

#include "model/feed.h"
#include "platform/qnamhttp.h"
#include "service/tokenstore.h"
#include "state/store.h"
#include "support/fakeplatform.h"
#include "support/scriptedserver.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QCoro/QCoroTask>
#include <QJsonDocument>
#include <QTest>

#include <memory>

/// A Store on the real HTTP stack against a scripted server, with private XDG folders, a clock the
/// test moves and recording desktop doubles. Unscripted routes answer 404, so the start-up update
/// check changes nothing unless a test scripts it.
struct StoreHarness
{
    StoreHarness()
    {
        // A fixed local morning; the zone is set per test executable.
        clock.current = QDateTime(QDate(2025, 3, 4), QTime(10, 0));
        settings.values.insert(QStringLiteral("didSetLoginDefault"), true);
        // The token cache is process-wide: start every Store from "no token".
        TokenStore::save(std::nullopt);
    }

    ~StoreHarness() { stop(); }

    void saveToken(const QString &token = QStringLiteral("vesk_test")) { QVERIFY(TokenStore::save(token)); }

    Store &start()
    {
        store =
            std::make_unique<Store>(Services{http, clock, settings, loginItem, urlOpener, clipboard, sounds,
                                             server.url(), QUrl(QStringLiteral("https://app.vesk.example"))});
        return *store;
    }

    /// Ends every request in flight and lets the waiting operations finish before the Store goes.
    void stop()
    {
        if (!store)
            return;
        http.abortAll();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        store.reset();
    }

    /// Runs an awaitable Store operation to its end.
    static void run(QCoro::Task<> task) { QCoro::waitFor(std::move(task)); }

    qsizetype feedRequests() const { return server.requestsTo(QByteArrayLiteral("/api/today")).size(); }
    qsizetype versionRequests() const
    {
        return server.requestsTo(QByteArrayLiteral("/download/version.json")).size();
    }

    ScriptedServer::Answer &onFeed()
    {
        return server.on(QByteArrayLiteral("GET"), QByteArrayLiteral("/api/today"));
    }
    ScriptedServer::Answer &onVersion()
    {
        return server.on(QByteArrayLiteral("GET"), QByteArrayLiteral("/download/version.json"));
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

/// A meeting starting at `start` (local time) and lasting `minutes`.
inline Meeting meetingAt(const QString &id, const QDateTime &start, int minutes = 30,
                         const QString &status = QStringLiteral("confirmed"))
{
    Meeting meeting;
    meeting.id = id;
    meeting.title = QStringLiteral("Call ") + id;
    meeting.startsAt = start.toUTC();
    meeting.endsAt = start.addSecs(minutes * 60).toUTC();
    meeting.room = QStringLiteral("zoom");
    meeting.status = status;
    meeting.riskLevel = QStringLiteral("low");
    return meeting;
}

inline QByteArray feedBody(const QList<Meeting> &meetings)
{
    return QJsonDocument(Feed{meetings}.toJson()).toJson(QJsonDocument::Compact);
}

inline QStringList idsOf(const QList<Meeting> &meetings)
{
    QStringList ids;
    for (const Meeting &meeting : meetings)
        ids.append(meeting.id);
    return ids;
}
