#include "actionsharness.h"

#include <QJsonArray>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QByteArray kDraftPath = "/api/app/quick-add";
const QByteArray kCreatePath = "/api/app/quick-add/create";
const QString kUnreadable = u"Couldn't read that. Try \u201CCoffee with Nils tomorrow at 3\u201D."_s;

QJsonObject draftJson()
{
    return jsonOf(fixture(u"qa_draft.json"_s));
}

/// Runs the queued tasks up to and including one that sends a request, so a task queued before
/// it has certainly run.
void flushWithSearch(ActionsHarness &h)
{
    const qsizetype before = h.server.requestsTo("/api/app/people").size();
    h.store->searchPeople(u"flush"_s);
    QTRY_COMPARE(h.server.requestsTo("/api/app/people").size(), before + 1);
}

const QString kTyped = u"  Coffee with Nils tomorrow at 3 \n"_s;

/// Starts a Store and drafts the given reply into `qaDraft` from a sentence typed with blanks.
Store &startWithDraft(ActionsHarness &h, const QJsonObject &draft)
{
    h.server.on("POST", kDraftPath).reply(200, jsonBytes(draft));
    Store &store = h.start();
    store.setQaText(kTyped);
    store.quickDraft();
    [&] { QTRY_VERIFY(store.hasQaDraft()); }();
    return store;
}

} // namespace

class TestStoreQuickAdd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void blankSentenceChangesNothing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("withToken");
        QTest::newRow("blanks and line breaks") << u"  \n\t \r\n "_s << true;
        QTest::newRow("no token") << u"Coffee"_s << false;
    }

    void blankSentenceChangesNothing()
    {
        QFETCH(QString, text);
        QFETCH(bool, withToken);
        ActionsHarness h(withToken);
        h.server.on("POST", kDraftPath).reply(200, R"({"error":"Say when."})");
        h.server.on("GET", "/api/app/people").reply(200, R"({"people":[]})");
        Store &store = h.start();
        if (withToken) {
            store.setQaText(u"Coffee"_s);
            store.quickDraft();
            QTRY_COMPARE(store.qaError(), u"Say when."_s);
        }
        const QString earlierError = store.qaError();
        QSignalSpy busy(&store, &Store::qaBusyChanged);

        store.setQaText(text);
        store.quickDraft();
        if (withToken)
            flushWithSearch(h);
        else
            QCoreApplication::processEvents(); // runs the queued task
        QCOMPARE(h.server.requestsTo(kDraftPath).size(), withToken ? 1 : 0);
        QCOMPARE(store.qaError(), earlierError);
        QCOMPARE(store.qaText(), text);
        QCOMPARE(busy.size(), 0);
    }

    // A new sentence clears the error of the previous one as soon as its request starts.
    void newDraftClearsThePreviousError()
    {
        ActionsHarness h;
        h.server.on("POST", kDraftPath).reply(200, R"({"error":"Say when."})");
        h.server.on("POST", kDraftPath).after(200ms).reply(200, jsonBytes(draftJson()));
        Store &store = h.start();
        store.setQaText(u"Coffee"_s);
        store.quickDraft();
        QTRY_COMPARE(store.qaError(), u"Say when."_s);
        store.setQaText(u"Coffee at 3"_s);
        store.quickDraft();
        QTRY_VERIFY(store.qaBusy());
        QCOMPARE(store.qaError(), QString());
        QTRY_VERIFY(store.hasQaDraft());
        QCOMPARE(store.qaError(), QString());
    }

    void draftReplies_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("error");
        QTest::addColumn<bool>("hasDraft");

        QJsonObject errorAndDraft = draftJson();
        errorAndDraft.insert(u"error"_s, u"Calendar not connected."_s);
        QJsonObject numericError = draftJson();
        numericError.insert(u"error"_s, 17);

        QTest::newRow("not JSON") << u"reply"_s << QByteArray("<html/>") << kUnreadable << false;
        QTest::newRow("error text and a full draft")
            << u"reply"_s << jsonBytes(errorAndDraft) << u"Calendar not connected."_s << false;
        QTest::newRow("numeric error and a draft")
            << u"reply"_s << jsonBytes(numericError) << QString() << true;
        // An empty message would end the request with no word to the user (found by fuzzing).
        QTest::newRow("empty error text")
            << u"reply"_s << QByteArray(R"({"error":""})") << kUnreadable << false;
        QTest::newRow("dropped connection")
            << u"drop"_s << QByteArray() << u"Couldn't reach Vesk."_s << false;
    }

    void draftReplies()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, reply);
        QFETCH(QString, error);
        QFETCH(bool, hasDraft);
        ActionsHarness h;
        // A first round leaves a draft behind; the next sentence clears it.
        Store &store = startWithDraft(h, draftJson());
        auto &answer = h.server.on("POST", kDraftPath).after(100ms);
        if (kind == u"drop"_s)
            answer.drop();
        else
            answer.reply(422, reply);

        QSignalSpy busy(&store, &Store::qaBusyChanged);
        store.quickDraft();
        QTRY_COMPARE(busy.size(), 1);
        QVERIFY(store.qaBusy());
        QVERIFY(!store.hasQaDraft()); // cleared when the request starts
        QTRY_COMPARE(busy.size(), 2);
        QVERIFY(!store.qaBusy());
        QCOMPARE(store.qaError(), error);
        QCOMPARE(store.hasQaDraft(), hasDraft);
    }

    void createSendsTheEditedDraft_data()
    {
        QTest::addColumn<QString>("shape");
        QTest::addColumn<QJsonArray>("emails");
        QTest::addColumn<QString>("location");
        QTest::addColumn<QString>("done");

        QTest::newRow("no people") << u"nopeople"_s << QJsonArray{} << u"Café Central"_s
                                   << u"Added \u201CCoffee with Nils\u201D"_s;
        QTest::newRow("edited on the card")
            << u"edited"_s << QJsonArray{u"nils.holm@acme.example"_s, u"ada@acme.example"_s}
            << u"Café Central"_s << u"Added \u201CFika\u201D. Invites sent."_s;
    }

    void createSendsTheEditedDraft()
    {
        QFETCH(QString, shape);
        QFETCH(QJsonArray, emails);
        QFETCH(QString, location);
        QFETCH(QString, done);
        QJsonObject draft = draftJson();
        if (shape == u"nopeople"_s)
            draft.insert(u"people"_s, QJsonArray());
        ActionsHarness h;
        h.server.on("POST", kCreatePath).after(100ms).reply(200, R"({"ok":true,"id":"ev1"})");
        Store &store = startWithDraft(h, draft);
        if (shape == u"edited"_s) {
            store.setQaTitle(u"Fika"_s);
            store.setQaConference(u"zoom"_s);
            store.setQaPersonEmail(0, u"nils.holm@acme.example"_s);
            store.setQaPersonEmail(1, u"ada@acme.example"_s);
            store.setQaPersonName(1, u"Ada Lovelace"_s);
            QCOMPARE(store.qaDraft()->people.at(1).name, std::optional<QString>(u"Ada Lovelace"_s));
        }
        const qsizetype loads = h.server.requestsTo("/api/today").size();

        store.quickCreate();
        QTRY_VERIFY(store.qaBusy());
        QVERIFY(store.hasQaDraft()); // still shown while creating
        QTRY_VERIFY(!store.qaBusy());

        const QJsonObject body = jsonOf(h.server.requestsTo(kCreatePath).at(0).body);
        const QJsonObject expected{
            {u"title"_s, shape == u"edited"_s ? u"Fika"_s : u"Coffee with Nils"_s},
            {u"start"_s, u"2025-03-05T15:00:00+01:00"_s},
            {u"durationMin"_s, 30},
            {u"emails"_s, emails},
            {u"conference"_s, shape == u"edited"_s ? u"zoom"_s : u"meet"_s},
            {u"location"_s, location},
        };
        QCOMPARE(body, expected);
        QCOMPARE(store.qaDone(), done);
        QCOMPARE(store.qaError(), QString());
        QVERIFY(!store.hasQaDraft());
        QCOMPARE(store.qaText(), QString());
        QCOMPARE(store.flash(), u"added \u2713"_s);
        QCOMPARE(h.sounds.played, QList<Sounds::Sound>{Sounds::Sound::Created});
        QTRY_COMPARE(h.server.requestsTo("/api/today").size(), loads + 1); // the feed reloads
    }

    void createFailureKeepsTheDraft_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("error");
        QTest::newRow("ok as text") << u"reply"_s << QByteArray(R"({"ok":"true"})")
                                    << u"Couldn't create it."_s;
        QTest::newRow("no ok, error text")
            << u"reply"_s << QByteArray(R"({"error":"Slot taken."})") << u"Slot taken."_s;
        QTest::newRow("no ok, empty error text")
            << u"reply"_s << QByteArray(R"({"error":""})") << u"Couldn't create it."_s;
        QTest::newRow("dropped connection") << u"drop"_s << QByteArray() << u"Couldn't reach Vesk."_s;
    }

    void createFailureKeepsTheDraft()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, reply);
        QFETCH(QString, error);
        ActionsHarness h;
        auto &answer = h.server.on("POST", kCreatePath);
        if (kind == u"drop"_s)
            answer.drop();
        else
            answer.reply(200, reply);
        Store &store = startWithDraft(h, draftJson());
        const QADraft before = *store.qaDraft();

        store.quickCreate();
        QTRY_COMPARE(store.qaError(), error);
        QVERIFY(!store.qaBusy());
        QCOMPARE(store.qaDraft(), std::optional<QADraft>(before));
        QCOMPARE(store.qaDone(), QString());
        QCOMPARE(store.flash(), QString());
        QVERIFY(h.sounds.played.isEmpty());
    }

    void createNeedsAStart()
    {
        QJsonObject draft = draftJson();
        draft.remove(u"start"_s);
        ActionsHarness h;
        h.server.on("GET", "/api/app/people").reply(200, R"({"people":[]})");
        Store &store = startWithDraft(h, draft);
        store.quickCreate();
        flushWithSearch(h);
        QVERIFY(h.server.requestsTo(kCreatePath).isEmpty());
        QVERIFY(store.hasQaDraft());
        QVERIFY(!store.qaBusy());
    }

    void draftEditsAnnounceOnlyChanges()
    {
        ActionsHarness h;
        Store &store = startWithDraft(h, draftJson());
        // The sentence goes out trimmed; the field keeps what was typed.
        QCOMPARE(jsonOf(h.server.requestsTo(kDraftPath).at(0).body),
                 QJsonObject({{u"text"_s, u"Coffee with Nils tomorrow at 3"_s}}));
        QCOMPARE(store.qaText(), kTyped);
        QSignalSpy changed(&store, &Store::qaDraftChanged);
        store.setQaTitle(u"Coffee with Nils"_s);           // same title
        store.setQaPersonEmail(0, u"nils@acme.example"_s); // same address
        store.setQaPersonEmail(7, u"x@y.example"_s);       // no such person
        store.setQaPersonName(-1, u"X"_s);
        QCOMPARE(changed.size(), 0);
        store.setQaPersonEmail(0, QString()); // empty text: no address
        QCOMPARE(changed.size(), 1);
        QCOMPARE(store.qaDraft()->people.at(0).email, std::nullopt);

        // A candidate brings its address and its name, or no name, in one edit.
        PersonHit ada;
        ada.email = u"ada@acme.example"_s;
        store.chooseQaCandidate(1, ada);
        QCOMPARE(changed.size(), 2);
        QCOMPARE(store.qaDraft()->people.at(1).email, std::optional<QString>(u"ada@acme.example"_s));
        QCOMPARE(store.qaDraft()->people.at(1).name, std::nullopt);
        ada.name = u"Ada Lovelace"_s;
        store.chooseQaCandidate(1, ada);
        QCOMPARE(store.qaDraft()->people.at(1).name, std::optional<QString>(u"Ada Lovelace"_s));
        QCOMPARE(changed.size(), 3);

        store.clearQaDraft();
        QCOMPARE(changed.size(), 4);
        QVERIFY(!store.hasQaDraft());
        store.setQaTitle(u"Ignored"_s); // no draft to edit
        store.chooseQaCandidate(0, ada);
        QCOMPARE(changed.size(), 4);
    }
};

QTEST_GUILESS_MAIN(TestStoreQuickAdd)
#include "tst_store_quickadd.moc"
