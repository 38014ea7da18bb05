#include "actionsharness.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {

Meeting meeting(const QString &id = u"m1"_s, const QString &title = u"Intro with Acme"_s)
{
    Meeting m;
    m.id = id;
    m.title = title;
    return m;
}

const QByteArray kMarkPath = "/api/app/meetings/m1/vesk";
const QByteArray kDraftPath = "/api/app/meetings/m1/draft";

} // namespace

class TestStoreActions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // mark ------------------------------------------------------------------------------------

    void markHoldsBusyThroughTheRefresh_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("empty object") << 200 << QByteArray("{}");
        QTest::newRow("object with error") << 404 << QByteArray(R"({"error":"Meeting not found"})");
    }

    void markHoldsBusyThroughTheRefresh()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, reply);
        ActionsHarness h;
        h.server.on("GET", "/api/today").reply(200, fixture(u"actions_feed.json"_s));
        h.server.on("GET", "/api/today").after(400ms).reply(200, fixture(u"actions_feed_marked.json"_s));
        h.server.on("POST", kMarkPath).after(100ms).reply(status, reply);
        Store &store = h.start();
        QTRY_VERIFY(store.lastUpdated().isValid());
        QCOMPARE(store.meetings().at(0).status, u"confirmed"_s);

        store.mark(meeting(), u"vesk"_s);
        QVERIFY(store.busy().isEmpty()); // queued, not run inside the caller
        QTRY_COMPARE(store.busy(), QStringList{u"m1"_s});
        // The reply has been handled and the reload is in flight: the row still shows progress.
        QTRY_COMPARE(h.server.requestsTo("/api/today").size(), 2);
        QCOMPARE(store.busy(), QStringList{u"m1"_s});
        QCOMPARE(store.meetings().at(0).status, u"confirmed"_s);

        QTRY_VERIFY(store.busy().isEmpty());
        QCOMPARE(store.meetings().at(0).status, u"vesk"_s); // released only after the reload landed
        QVERIFY(store.actionError().isEmpty());
        QCOMPARE(store.error(), QString());
        const QList<RecordedRequest> posts = h.server.requestsTo(kMarkPath);
        QCOMPARE(posts.size(), 1);
        QCOMPARE(posts.at(0).body, QByteArray("{}"));
    }

    // A failure sets the message and reloads nothing; a later success reloads and keeps it.
    void markFailureThenSuccess()
    {
        ActionsHarness h;
        h.server.on("GET", "/api/today").reply(200, fixture(u"actions_feed.json"_s));
        h.server.on("POST", kMarkPath).after(50ms).reply(502, "<html>Bad gateway</html>");
        h.server.on("POST", kMarkPath).reply(200, "{}");
        Store &store = h.start();
        QTRY_VERIFY(store.lastUpdated().isValid());
        QSignalSpy busy(&store, &Store::busyChanged);

        store.mark(meeting(), u"vesk"_s);
        QTRY_COMPARE(store.actionErrorFor(u"m1"_s), std::optional<QString>(u"Couldn't reach Vesk."_s));
        QVERIFY(store.busy().isEmpty());
        QCOMPARE(busy.size(), 2); // added, then removed
        QCOMPARE(h.server.requestsTo("/api/today").size(), 1);

        store.mark(meeting(), u"vesk"_s);
        QTRY_COMPARE(h.server.requestsTo("/api/today").size(), 2);
        QTRY_VERIFY(store.busy().isEmpty());
        QCOMPARE(store.actionErrorFor(u"m1"_s), std::optional<QString>(u"Couldn't reach Vesk."_s));
    }

    // compose ---------------------------------------------------------------------------------

    void composeStoresTheDraft_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("note");
        const QString generic = u"No notes found, so this draft is generic."_s;
        const QString times = u"Three open times from your calendar."_s;
        const QString fallback = u"Intro with Acme"_s;
        const auto row = [](const char *name, const QString &action, const char *reply,
                            const QString &subject, const QString &body, const QString &note) {
            QTest::newRow(name) << action << QByteArray(reply) << subject << body << note;
        };
        row("propose ignores basis", u"propose"_s,
            R"({"subject":"New times","body":"Hi\nAda","basis":["call notes"]})", u"New times"_s,
            u"Hi\nAda"_s, times);
        row("draft, two basis entries", u"draft"_s,
            R"({"subject":"S","body":"B","basis":["call notes","CRM: x"]})", u"S"_s, u"B"_s,
            u"Based on: call notes; CRM: x"_s);
        row("draft, a number among the basis", u"draft"_s, R"({"subject":"S","body":"B","basis":["a",3]})",
            u"S"_s, u"B"_s, generic);
        row("empty object", u"draft"_s, "{}", fallback, QString(), generic);
        row("empty error text is no error", u"draft"_s, R"({"error":"","subject":"S","basis":["x"]})", u"S"_s,
            QString(), u"Based on: x"_s);
        row("action name compared exactly", u"Draft"_s, R"({"basis":["x"]})", fallback, QString(), times);
    }

    void composeStoresTheDraft()
    {
        QFETCH(QString, action);
        QFETCH(QByteArray, reply);
        QFETCH(QString, subject);
        QFETCH(QString, body);
        QFETCH(QString, note);
        ActionsHarness h;
        const QByteArray path = "/api/app/meetings/m1/" + action.toUtf8();
        h.server.on("POST", path).after(100ms).reply(200, reply);
        Store &store = h.start();

        store.compose(meeting(), action);
        QTRY_COMPARE(store.busy(), QStringList{u"m1"_s});
        QTRY_VERIFY(store.busy().isEmpty());
        const std::optional<Composed> draft = store.composedFor(u"m1"_s);
        QVERIFY(draft);
        QCOMPARE((QStringList{draft->subject, draft->body, draft->note}), (QStringList{subject, body, note}));
        QVERIFY(store.actionError().isEmpty());
        QCOMPARE(h.server.requestsTo(path).size(), 1);
        QCOMPARE(h.server.requestsTo(path).at(0).body, QByteArray("{}"));
    }

    void composeErrors()
    {
        ActionsHarness h;
        h.server.on("POST", kDraftPath).reply(200, R"({"subject":"First","body":"B","basis":["a"]})");
        h.server.on("POST", kDraftPath).reply(200, R"({"error":"No notes for this meeting","subject":"S"})");
        h.server.on("POST", kDraftPath).after(300ms).reply(200, R"({"subject":"Third"})");
        h.server.on("POST", "/api/app/meetings/m2/draft").reply(200, R"({"error":"Other meeting"})");
        Store &store = h.start();
        store.compose(meeting(), u"draft"_s);
        QTRY_VERIFY(store.composedFor(u"m1"_s));
        QTRY_VERIFY(store.busy().isEmpty());

        // An error reply keeps the earlier draft, even when it carries a subject.
        store.compose(meeting(), u"draft"_s);
        store.compose(meeting(u"m2"_s), u"draft"_s);
        QTRY_COMPARE(store.actionErrorFor(u"m1"_s), std::optional<QString>(u"No notes for this meeting"_s));
        QTRY_COMPARE(store.actionErrorFor(u"m2"_s), std::optional<QString>(u"Other meeting"_s));
        QTRY_VERIFY(store.busy().isEmpty());
        QCOMPARE(store.composedFor(u"m1"_s)->subject, u"First"_s);

        // The error goes as soon as the next request starts; another meeting's entries stay.
        store.compose(meeting(), u"draft"_s);
        QTRY_COMPARE(store.busy(), QStringList{u"m1"_s});
        QCOMPARE(store.actionErrorFor(u"m1"_s), std::nullopt);
        QTRY_VERIFY(store.busy().isEmpty());
        QCOMPARE(store.composedFor(u"m1"_s)->subject, u"Third"_s);
        QCOMPARE(store.actionErrorFor(u"m2"_s), std::optional<QString>(u"Other meeting"_s));
    }

    // flash -----------------------------------------------------------------------------------

    void aSecondFlashGoesWithTheFirstOnesClearing()
    {
        // Scaled down from 2.5 s with a second flash 1 s later: the second text lasts 1.5 s.
        constexpr auto duration = 1000ms;
        constexpr auto gap = 400ms;
        ActionsHarness h;
        h.options.flashDuration = duration;
        h.server.on("POST", "/api/app/availability").reply(200, fixture(u"avail_reply.json"_s));
        h.server.on("POST", "/api/app/quick-add").reply(200, fixture(u"qa_draft.json"_s));
        h.server.on("POST", "/api/app/quick-add/create").after(gap).reply(200, R"({"ok":true})");
        Store &store = h.start();
        store.setQaText(u"Coffee with Nils tomorrow at 3"_s);
        store.quickDraft();
        QTRY_VERIFY(store.hasQaDraft());

        QElapsedTimer clock;
        QList<std::pair<QString, qint64>> changes;
        connect(&store, &Store::flashChanged, this, [&] {
            changes.append({store.flash(), clock.elapsed()});
        });
        clock.start();
        store.copyAvailability(QString(), QString(), 30);
        store.quickCreate(); // its reply comes `gap` later
        QTRY_COMPARE_WITH_TIMEOUT(changes.size(), 3, 5000);

        QCOMPARE(changes.at(0).first, u"copied \u2713"_s);
        QCOMPARE(changes.at(1).first, u"added \u2713"_s);
        QCOMPARE(changes.at(2).first, QString());
        const qint64 firstShown = changes.at(2).second - changes.at(0).second;
        const qint64 secondShown = changes.at(2).second - changes.at(1).second;
        QVERIFY2(firstShown >= 900, qPrintable(QString::number(firstShown)));
        QVERIFY2(secondShown < 900, qPrintable(QString::number(secondShown)));
    }
};

QTEST_GUILESS_MAIN(TestStoreActions)
#include "tst_store_actions.moc"
