#include "state/storeharness.h"

#include <QSignalSpy>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QByteArray kMarkPath = "/api/app/meetings/m1/vesk";
const QByteArray kAvailPath = "/api/app/availability";
const QByteArray kPeoplePath = "/api/app/people";
const QByteArray kDraftPath = "/api/app/quick-add";
const QByteArray kCreatePath = "/api/app/quick-add/create";
const QString kUnreachable = u"Couldn't reach Vesk."_s;
const QString kUnreadable = u"Couldn't read that. Try \u201CCoffee with Nils tomorrow at 3\u201D."_s;

PersonHit hit(std::optional<QString> name, const QString &email)
{
    PersonHit h;
    h.name = std::move(name);
    h.email = email;
    return h;
}

QByteArray people(const QString &email)
{
    return u"{\"people\":[{\"name\":\"P\",\"email\":\"%1\",\"company\":\"Acme\"}]}"_s.arg(email).toUtf8();
}

/// Answers the next POST to `path` with `reply` after `delay`, or drops the connection when the
/// reply is empty.
void answer(StoreHarness &h, const QByteArray &path, const QByteArray &reply,
            std::chrono::milliseconds delay = 0ms)
{
    ScriptedServer::Answer &next = h.server.on("POST", path).after(delay);
    reply.isEmpty() ? next.drop() : next.reply(200, reply);
}

/// A Store with a token, which drafted `draft` from a sentence typed with blanks around it.
Store &startWithDraft(StoreHarness &h, const QJsonObject &draft = jsonOf(fixture(u"qa_draft.json"_s)))
{
    h.saveToken();
    answer(h, kDraftPath, QJsonDocument(draft).toJson());
    Store &store = h.start();
    store.setQaText(u"  Coffee with Nils tomorrow at 3 \n"_s);
    store.quickDraft();
    [&] { QTRY_VERIFY(store.hasQaDraft()); }();
    return store;
}

} // namespace

class TestStoreActions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void mark_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("error");
        QTest::newRow("empty object") << 200 << "{}"_ba << QString();
        QTest::newRow("object with error") << 404 << R"({"error":"Meeting not found"})"_ba << QString();
        QTest::newRow("no object") << 502 << "<html>Bad gateway</html>"_ba << kUnreachable;
    }

    // Whatever object comes back the service heard us: the row shows progress until the reload
    // after it has landed. Without one the error shows and nothing reloads.
    void mark()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, reply);
        QFETCH(QString, error);
        const bool heard = error.isEmpty();
        StoreHarness h;
        h.saveToken();
        h.onFeed().reply(200, feedBody({meetingAt(u"m1"_s, h.clock.current)}));
        h.onFeed().after(400ms).reply(200, feedBody({meetingAt(u"m1"_s, h.clock.current, 30, u"vesk"_s)}));
        h.server.on("POST", kMarkPath).after(100ms).reply(status, reply);
        Store &store = h.start();
        QTRY_VERIFY(store.lastUpdated().isValid());
        store.mark(meetingAt(u"m1"_s, {}), u"vesk"_s);
        QTRY_COMPARE(store.busy(), QStringList{u"m1"_s});
        QTRY_COMPARE(h.feedRequests(), heard ? 2 : 1);
        QTRY_VERIFY(store.busy().isEmpty());
        QCOMPARE(store.meetings().at(0).status, heard ? u"vesk"_s : u"confirmed"_s);
        QCOMPARE(store.actionErrorFor(u"m1"_s).value_or(QString()), error);
        QCOMPARE(h.server.requestsTo(kMarkPath).at(0).body, "{}"_ba);
    }

    void compose_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QStringList>("draft"); // subject, body, note
        const QString generic = u"No notes found, so this draft is generic."_s;
        QTest::newRow("propose, empty object")
            << u"propose"_s << "{}"_ba
            << QStringList{u"Call m1"_s, QString(), u"Three open times from your calendar."_s};
        QTest::newRow("draft, two basis entries")
            << u"draft"_s << R"({"subject":"S","body":"B","basis":["call notes","CRM: x"]})"_ba
            << QStringList{u"S"_s, u"B"_s, u"Based on: call notes; CRM: x"_s};
        QTest::newRow("draft, a number among the basis")
            << u"draft"_s << R"({"subject":"S","body":"B","basis":["a",3]})"_ba
            << QStringList{u"S"_s, u"B"_s, generic};
        QTest::newRow("empty error text is no error")
            << u"draft"_s << R"({"error":"","subject":"S","basis":["x"]})"_ba
            << QStringList{u"S"_s, QString(), u"Based on: x"_s};
    }

    // An earlier error goes when the next request starts.
    void compose()
    {
        QFETCH(QString, action);
        QFETCH(QByteArray, reply);
        QFETCH(QStringList, draft);
        StoreHarness h;
        h.saveToken();
        answer(h, "/api/app/meetings/m1/" + action.toUtf8(), R"({"error":"No notes","subject":"S"})");
        answer(h, "/api/app/meetings/m1/" + action.toUtf8(), reply, 100ms);
        Store &store = h.start();
        store.compose(meetingAt(u"m1"_s, {}), action);
        QTRY_COMPARE(store.actionErrorFor(u"m1"_s).value_or(QString()), u"No notes"_s);
        QVERIFY(!store.composedFor(u"m1"_s));
        store.compose(meetingAt(u"m1"_s, {}), action);
        QTRY_COMPARE(store.busy(), QStringList{u"m1"_s});
        QVERIFY(store.actionError().isEmpty());
        QTRY_VERIFY(store.busy().isEmpty());
        const Composed composed = store.composedFor(u"m1"_s).value_or(Composed());
        QCOMPARE((QStringList{composed.subject, composed.body, composed.note}), draft);
    }

    void copyRequest_data()
    {
        QTest::addColumn<QString>("forQuery");
        QTest::addColumn<PersonHit>("forWho"); // none when its address is empty
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("hit wins over a typed address")
            << u"nils@acme.example"_s << hit(u"Ada Lovelace"_s, u"ada@acme.example"_s)
            << R"({"durationMin":45,"name":"Ada Lovelace","email":"ada@acme.example"})"_ba;
        QTest::newRow("hit without a name") << QString() << hit(std::nullopt, u"ops@acme.example"_s)
                                            << R"({"durationMin":45,"email":"ops@acme.example"})"_ba;
        QTest::newRow("typed address, blanks and tabs around")
            << u" \tnils@acme.example "_s << PersonHit()
            << R"({"durationMin":45,"email":"nils@acme.example"})"_ba;
        QTest::newRow("blank inside")
            << u"ada lovelace@acme.example"_s << PersonHit() << R"({"durationMin":45})"_ba;
        QTest::newRow("line break at the end")
            << u"ada@acme.example\n"_s << PersonHit() << R"({"durationMin":45})"_ba;
    }

    // The bar's copy sends the chosen hit, else a typed mail address; keys only when non-empty.
    void copyRequest()
    {
        QFETCH(QString, forQuery);
        QFETCH(PersonHit, forWho);
        QFETCH(QByteArray, sent);
        StoreHarness h;
        h.saveToken();
        Store &store = h.start();
        store.setForQuery(forQuery);
        store.setForDuration(45);
        if (!forWho.email.isEmpty())
            store.chooseForWho(forWho);
        store.copyForCurrent();
        QTRY_COMPARE(h.bodiesTo(kAvailPath), QList<QJsonObject>{jsonOf(sent)});
    }

    void copyOutcome_data()
    {
        QTest::addColumn<QByteArray>("reply"); // empty: the connection drops
        QTest::addColumn<QString>("error");
        QJsonObject plain = jsonOf(fixture(u"avail_reply.json"_s));
        QTest::newRow("text and html") << QJsonDocument(plain).toJson() << QString();
        plain.remove(u"html"_s);
        QTest::newRow("text only") << QJsonDocument(plain).toJson() << QString();
        QTest::newRow("html without text") << R"({"html":"<p>x</p>"})"_ba << u"No times came back."_s;
        QTest::newRow("error text") << R"({"error":"Not connected.","text":"x"})"_ba << u"Not connected."_s;
        QTest::newRow("empty error text, no times") << R"({"error":""})"_ba << u"No times came back."_s;
        QTest::newRow("dropped connection") << QByteArray() << kUnreachable;
    }

    // A copy fills the clipboard and the preview, plays a sound and shows a confirmation in place of
    // the tray title for a while; a failure does none of it. An earlier error goes when the next
    // copy starts.
    void copyOutcome()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, error);
        StoreHarness h;
        h.saveToken();
        h.options.flashDuration = 500ms;
        answer(h, kAvailPath, R"({"error":"Busy"})");
        answer(h, kAvailPath, reply, 150ms);
        Store &store = h.start();
        store.copyAvailability(QString(), QString(), 30);
        QTRY_COMPARE(store.availError(), u"Busy"_s);
        store.setAvailPreview(u"older block"_s);
        store.copyAvailability(u"Ada"_s, u"ada@acme.example"_s, 30);
        QTRY_VERIFY(store.availBusy());
        QCOMPARE(store.availError(), QString());
        QTRY_VERIFY(!store.availBusy());
        QCOMPARE(store.availError(), error);
        const QJsonObject sent = jsonOf(reply);
        const bool copied = error.isEmpty();
        QCOMPARE(store.availPreview(), copied ? sent.value(u"text"_s).toString() : u"older block"_s);
        QCOMPARE(store.menuTitle(), copied ? u"copied \u2713"_s : QString());
        QCOMPARE(h.sounds.played, copied ? QList{Sounds::Sound::Copied} : QList<Sounds::Sound>());
        QCOMPARE(h.clipboard.writes.size(), copied ? 1 : 0);
        if (copied) {
            QCOMPARE(h.clipboard.writes[0].text, sent.value(u"text"_s).toString());
            QCOMPARE(h.clipboard.writes[0].html, sent.value(u"html"_s).toString());
            QCOMPARE(h.clipboard.writes[0].html.isNull(), !sent.contains(u"html"_s)); // no HTML part at all
            QTRY_COMPARE(store.flash(), QString());
        }
    }

    // A new text drops the preview and is searched for (the empty text too), and only the newest
    // search applies its reply; a new length and a chosen hit drop the preview too, and clearing the
    // choice empties the field without searching.
    void personAndLengthRules()
    {
        StoreHarness h;
        h.saveToken();
        h.server.on("GET", kPeoplePath).after(300ms).reply(200, people(u"late@acme.example"_s));
        h.server.on("GET", kPeoplePath).reply(200, people(u"ada@acme.example"_s));
        Store &store = h.start();
        const auto previewDropsOn = [&](auto &&change) {
            store.setAvailPreview(u"older block"_s);
            change();
            return store.availPreview().isEmpty();
        };
        QVERIFY(previewDropsOn([&] { store.setForQuery(u"ad"_s); })); // answered late
        QVERIFY(previewDropsOn([&] { store.setForQuery(QString()); }));
        QTRY_COMPARE(store.people().value(0).email, u"ada@acme.example"_s);
        QTest::qWait(400); // the late reply, to the older text, changes nothing
        QCOMPARE(store.people().value(0).email, u"ada@acme.example"_s);
        QVERIFY(previewDropsOn([&] { store.setForDuration(45); }));
        QVERIFY(previewDropsOn([&] { store.chooseForWho(store.people().at(0)); }));
        store.setForQuery(u"nils"_s); // the field is hidden while someone is chosen: no search
        QVERIFY(previewDropsOn([&] { store.clearForWho(); }));
        QVERIFY(!store.hasForWho());
        QCOMPARE(store.forQuery(), QString());
        store.searchPeople(u"marker"_s); // shows that nothing was sent in between
        QTRY_COMPARE(h.queriesTo(kPeoplePath), (QList<QByteArray>{"q=ad", "q=", "q=marker"}));
    }

    void draftReplies_data()
    {
        QTest::addColumn<QByteArray>("reply"); // empty: the connection drops
        QTest::addColumn<QString>("error");
        QJsonObject errorAndDraft = jsonOf(fixture(u"qa_draft.json"_s));
        errorAndDraft.insert(u"error"_s, u"Calendar not connected."_s);
        QTest::newRow("error text and a full draft")
            << QJsonDocument(errorAndDraft).toJson() << u"Calendar not connected."_s;
        errorAndDraft.insert(u"error"_s, 17);
        QTest::newRow("numeric error and a draft") << QJsonDocument(errorAndDraft).toJson() << QString();
        QTest::newRow("not JSON") << "<html/>"_ba << kUnreadable;
        QTest::newRow("empty error text") << R"({"error":""})"_ba << kUnreadable;
        QTest::newRow("dropped connection") << QByteArray() << kUnreachable;
    }

    // The sentence goes out trimmed and the field keeps it as typed. The next request clears the
    // shown draft, and the last error, when it starts; a draft comes back only without an error
    // text. A blank sentence sends nothing and keeps the last word.
    void draftReplies()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, error);
        StoreHarness h;
        Store &store = startWithDraft(h);
        answer(h, kDraftPath, reply, 100ms);
        QSignalSpy busy(&store, &Store::qaBusyChanged);
        store.quickDraft();
        QTRY_COMPARE(busy.size(), 1);
        QVERIFY(!store.hasQaDraft());
        QTRY_COMPARE(busy.size(), 2);
        QCOMPARE(store.qaError(), error);
        QCOMPARE(store.hasQaDraft(), error.isEmpty());
        QCOMPARE(h.bodiesTo(kDraftPath).value(0),
                 QJsonObject({{u"text"_s, u"Coffee with Nils tomorrow at 3"_s}}));
        QCOMPARE(store.qaText(), u"  Coffee with Nils tomorrow at 3 \n"_s);
        store.setQaText(u"  \n\t \r\n "_s);
        store.quickDraft();
        h.settle();
        QCOMPARE(busy.size(), 2);
        QCOMPARE(store.qaError(), error);
        store.setQaText(u"Coffee at 3"_s);
        store.quickDraft();
        QTRY_COMPARE(busy.size(), 3);
        QCOMPARE(store.qaError(), QString());
    }

    void create_data()
    {
        QTest::addColumn<QByteArray>("reply"); // empty: the connection drops
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("done");
        QTest::newRow("created") << R"({"ok":true,"id":"ev1"})"_ba << QString()
                                 << u"Added \u201CCoffee with Nils\u201D. Invites sent."_s;
        QTest::newRow("ok as text") << R"({"ok":"true"})"_ba << u"Couldn't create it."_s << QString();
        QTest::newRow("no ok, error text")
            << R"({"error":"Slot taken."})"_ba << u"Slot taken."_s << QString();
        QTest::newRow("no ok, empty error text")
            << R"({"error":""})"_ba << u"Couldn't create it."_s << QString();
        QTest::newRow("dropped connection") << QByteArray() << kUnreachable << QString();
        QTest::newRow("no start: nothing sent") << "{}"_ba << QString() << QString();
    }

    // A created event confirms, clears the draft and the sentence, flashes and reloads the feed; a
    // failure keeps the draft for another try.
    void create()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, error);
        QFETCH(QString, done);
        const bool created = !done.isEmpty();
        const bool sends = created || !error.isEmpty();
        QJsonObject draft = jsonOf(fixture(u"qa_draft.json"_s));
        if (!sends)
            draft.remove(u"start"_s);
        StoreHarness h;
        answer(h, kCreatePath, reply, 100ms);
        Store &store = startWithDraft(h, draft);
        const QADraft before = *store.qaDraft();
        const QString typed = store.qaText();
        const qsizetype loads = h.feedRequests();
        store.quickCreate();
        h.settle();
        QTRY_VERIFY(!store.qaBusy());
        QCOMPARE(h.server.requestsTo(kCreatePath).size(), sends ? 1 : 0);
        QCOMPARE(store.qaError(), error);
        QCOMPARE(store.qaDone(), done);
        QCOMPARE(store.qaDraft(), created ? std::nullopt : std::optional(before));
        QCOMPARE(store.qaText(), created ? QString() : typed);
        QCOMPARE(store.flash(), created ? u"added \u2713"_s : QString());
        QCOMPARE(h.sounds.played, created ? QList{Sounds::Sound::Created} : QList<Sounds::Sound>());
        QTRY_COMPARE(h.feedRequests(), loads + (created ? 1 : 0));
    }
};

QTEST_GUILESS_MAIN(TestStoreActions)
#include "tst_store_actions.moc"
