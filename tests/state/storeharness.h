#pragma once

#include "model/feed.h"
#include "support/storeworld.h"

#include <QJsonDocument>
#include <QTest>

#include <ctime>

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

inline QJsonObject jsonOf(const QByteArray &bytes)
{
    return QJsonDocument::fromJson(bytes).object();
}

/// The Store world at a fixed local morning (the zone is set per test executable).
struct StoreHarness : StoreWorld
{
    StoreHarness() { clock.current = QDateTime(QDate(2025, 3, 4), QTime(10, 0)); }

    void saveToken() { QVERIFY(tokens.save(QStringLiteral("vesk_test"))); }
    Store &start() { return makeStore(clipboard); }

    /// Starts with a token and the given feed, and waits for the start-up load and check.
    Store &startLoaded(const QList<Meeting> &feed = {})
    {
        saveToken();
        onFeed().reply(200, feedBody(feed));
        start();
        [&] {
            QTRY_VERIFY(store->lastUpdated().isValid());
            QTRY_COMPARE(versionRequests(), 1);
        }();
        return *store;
    }

    /// Runs the tasks queued so far (after the start-up check was sent) and waits for a
    /// release-file request started after them, so a request they would have sent has been sent.
    void settle()
    {
        const qsizetype before = versionRequests();
        store->checkForUpdate();
        [&] { QTRY_COMPARE(versionRequests(), before + 1); }();
    }

    /// Moves the clock and waits for the next tick to have read it.
    void advanceToNextTick(qint64 seconds)
    {
        clock.advance(seconds);
        [&] { QTRY_COMPARE(store->now(), clock.current); }();
    }

    ScriptedServer::Answer &onFeed() { return server.on("GET", "/api/today"); }
    qsizetype feedRequests() const { return server.requestsTo("/api/today").size(); }
    qsizetype versionRequests() const { return server.requestsTo("/download/version.json").size(); }
    QList<QByteArray> queriesTo(const QByteArray &path) const
    {
        QList<QByteArray> queries;
        for (const RecordedRequest &request : server.requestsTo(path))
            queries.append(request.rawQuery);
        return queries;
    }
    QList<QJsonObject> bodiesTo(const QByteArray &path) const
    {
        QList<QJsonObject> bodies;
        for (const RecordedRequest &request : server.requestsTo(path))
            bodies.append(jsonOf(request.body));
        return bodies;
    }
};

/// The main of a test program whose clock reads in a zone with daylight saving, whose midnight differs
/// from UTC's.
#define VESK_TEST_MAIN_IN_BERLIN(TestObject)                                                                 \
    int main(int argc, char **argv)                                                                          \
    {                                                                                                        \
        qputenv("TZ", "Europe/Berlin");                                                                      \
        tzset();                                                                                             \
        QCoreApplication app(argc, argv);                                                                    \
        TestObject test;                                                                                     \
        return QTest::qExec(&test, argc, argv);                                                              \
    }
