#pragma once

#include "model/feed.h"
#include "platform/qnamhttp.h"
#include "service/tokenstore.h"
#include "state/store.h"
#include "support/storeworld.h"

#include <QCoreApplication>
#include <QCoro/QCoroTask>
#include <QJsonDocument>
#include <QTest>

#include <memory>

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

/// The Store world with a fixed local morning and helpers for the feed and release routes.
struct StoreHarness : StoreWorld
{
    StoreHarness()
    {
        // A fixed local morning; the zone is set per test executable.
        clock.current = QDateTime(QDate(2025, 3, 4), QTime(10, 0));
    }

    void saveToken(const QString &token = QStringLiteral("vesk_test")) { QVERIFY(tokens.save(token)); }

    Store &start() { return makeStore(clipboard); }

    /// Starts with a token and the given feed, and waits for the start-up load and check.
    Store &startLoaded(const QList<Meeting> &feed = {})
    {
        saveToken();
        onFeed().reply(200, feedBody(feed));
        Store &store = start();
        [&] {
            QTRY_VERIFY(store.lastUpdated().isValid());
            QTRY_COMPARE(versionRequests(), 1);
        }();
        return store;
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
};
