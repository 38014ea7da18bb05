#include "actionsharness.h"

#include <QJsonArray>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QByteArray kAvailPath = "/api/app/availability";
const QByteArray kPeoplePath = "/api/app/people";

PersonHit hit(std::optional<QString> name, const QString &email, const QString &company = u"Acme"_s)
{
    PersonHit h;
    h.name = std::move(name);
    h.email = email;
    h.company = company;
    return h;
}

QByteArray peopleReply(const QList<PersonHit> &hits)
{
    QJsonArray list;
    for (const PersonHit &h : hits)
        list.append(h.toJson());
    return jsonBytes(QJsonObject{{u"people"_s, list}});
}

} // namespace

class TestStoreAvailability : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void typedEmail_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("email");
        QTest::newRow("plain") << u"ada@acme.example"_s << u"ada@acme.example"_s;
        QTest::newRow("blanks and tabs around") << u" \tada@acme.io \t"_s << u"ada@acme.io"_s;
        QTest::newRow("two at signs") << u"ada@@acme.example"_s << QString();
        QTest::newRow("blank inside") << u"ada lovelace@acme.example"_s << QString();
        QTest::newRow("line break at the end") << u"ada@acme.example\n"_s << QString();
        QTest::newRow("no-break space inside") << u"ada\u00A0x@acme.example"_s << QString();
    }

    void typedEmail()
    {
        QFETCH(QString, query);
        QFETCH(QString, email);
        ActionsHarness h;
        Store &store = h.start();
        QSignalSpy typed(&store, &Store::forTypedEmailChanged);
        QSignalSpy changed(&store, &Store::forQueryChanged);
        store.setForQuery(query);
        QCOMPARE(store.forTypedEmailText(), email);
        QCOMPARE(changed.size(), query.isEmpty() ? 0 : 1);
        QCOMPARE(typed.size(), changed.size());
    }

    void requestBody_data()
    {
        QTest::addColumn<bool>("direct"); // copyAvailability with a name and address, else copyForCurrent
        QTest::addColumn<QString>("forQuery");
        QTest::addColumn<PersonHit>("forWho"); // none when its address is empty
        QTest::addColumn<QStringList>("nameAndEmail");
        const auto row = [](const char *name, bool direct, const QString &forQuery, const PersonHit &forWho,
                            const QString &sentName, const QString &sentEmail) {
            QTest::newRow(name) << direct << forQuery << forWho << QStringList{sentName, sentEmail};
        };
        const PersonHit none;
        row("hit wins over a typed address", false, u"nils@acme.example"_s,
            hit(u"Ada Lovelace"_s, u"ada@acme.example"_s), u"Ada Lovelace"_s, u"ada@acme.example"_s);
        row("hit without a name", false, QString(), hit(std::nullopt, u"ops@acme.example"_s), QString(),
            u"ops@acme.example"_s);
        row("typed address with blanks", false, u"  nils@acme.example "_s, none, QString(),
            u"nils@acme.example"_s);
        row("a name typed, no hit", false, u"Nils"_s, none, QString(), QString());
        row("direct, name and address", true, QString(), none, u"Nils Holm"_s, u"nils@acme.example"_s);
    }

    // Keys are sent only when non-empty.
    void requestBody()
    {
        QFETCH(bool, direct);
        QFETCH(QString, forQuery);
        QFETCH(PersonHit, forWho);
        QFETCH(QStringList, nameAndEmail);
        ActionsHarness h;
        h.server.on("POST", kAvailPath).reply(200, fixture(u"avail_reply.json"_s));
        Store &store = h.start();
        store.setForQuery(forQuery);
        store.setForDuration(45);
        if (!forWho.email.isEmpty())
            store.chooseForWho(forWho);
        if (direct)
            store.copyAvailability(nameAndEmail.at(0), nameAndEmail.at(1), 20);
        else
            store.copyForCurrent();
        QTRY_COMPARE(h.server.requestsTo(kAvailPath).size(), 1);
        QJsonObject body{{u"durationMin"_s, direct ? 20 : 45}};
        if (!nameAndEmail.at(0).isEmpty())
            body.insert(u"name"_s, nameAndEmail.at(0));
        if (!nameAndEmail.at(1).isEmpty())
            body.insert(u"email"_s, nameAndEmail.at(1));
        QCOMPARE(jsonOf(h.server.requestsTo(kAvailPath).at(0).body), body);
        QTRY_VERIFY(!store.availBusy());
    }

    void successfulCopy_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("html");
        const QJsonObject full = jsonOf(fixture(u"avail_reply.json"_s));
        QJsonObject plain = full;
        plain.remove(u"html"_s);
        QTest::newRow("text and html") << jsonBytes(full) << full.value(u"html"_s).toString();
        QTest::newRow("text only") << jsonBytes(plain) << QString();
    }

    void successfulCopy()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, html);
        const QString text = jsonOf(fixture(u"avail_reply.json"_s)).value(u"text"_s).toString();
        ActionsHarness h;
        h.server.on("POST", kAvailPath).reply(200, R"({"error":"Busy"})");
        h.server.on("POST", kAvailPath).after(150ms).reply(200, reply);
        Store &store = h.start();
        store.copyAvailability(QString(), QString(), 30);
        QTRY_COMPARE(store.availError(), u"Busy"_s);
        store.setAvailPreview(u"older block"_s);

        store.copyAvailability(QString(), QString(), 30);
        QTRY_VERIFY(store.availBusy());
        QCOMPARE(store.availError(), QString());          // cleared when the request starts
        QCOMPARE(store.availPreview(), u"older block"_s); // kept while it runs
        QTRY_VERIFY(!store.availBusy());

        QCOMPARE(h.clipboard.writes.size(), 1);
        QCOMPARE(h.clipboard.writes.at(0).text, text);
        QCOMPARE(h.clipboard.writes.at(0).html, html);
        QCOMPARE(h.clipboard.writes.at(0).html.isNull(), html.isNull()); // no HTML part at all
        QCOMPARE(store.availPreview(), text);
        QCOMPARE(store.availError(), QString());
        QCOMPARE(store.flash(), u"copied \u2713"_s);
        QCOMPARE(h.sounds.played, QList<Sounds::Sound>{Sounds::Sound::Copied});
    }

    void failedCopyTouchesNothing_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("error");
        QTest::newRow("html without text")
            << u"reply"_s << QByteArray(R"({"html":"<p>x</p>"})") << u"No times came back."_s;
        QTest::newRow("error text") << u"reply"_s
                                    << QByteArray(R"({"error":"Calendar not connected.","text":"x"})")
                                    << u"Calendar not connected."_s;
        QTest::newRow("empty error text, no times")
            << u"reply"_s << QByteArray(R"({"error":""})") << u"No times came back."_s;
        QTest::newRow("dropped connection") << u"drop"_s << QByteArray() << u"Couldn't reach Vesk."_s;
    }

    void failedCopyTouchesNothing()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, reply);
        QFETCH(QString, error);
        ActionsHarness h;
        if (kind == u"drop"_s)
            h.server.on("POST", kAvailPath).drop();
        else
            h.server.on("POST", kAvailPath).reply(200, reply);
        Store &store = h.start();
        store.setAvailPreview(u"older block"_s);
        QSignalSpy flash(&store, &Store::flashChanged);

        store.copyAvailability(u"Ada"_s, u"ada@acme.example"_s, 30);
        QTRY_COMPARE(store.availError(), error);
        QVERIFY(!store.availBusy());
        QVERIFY(h.clipboard.writes.isEmpty());
        QCOMPARE(store.availPreview(), u"older block"_s);
        QCOMPARE(flash.size(), 0);
        QVERIFY(h.sounds.played.isEmpty());
    }

    // people search ---------------------------------------------------------------------------

    // The rules of the person field: a new text drops the preview and is searched for (the empty
    // text too), a new length drops the preview, choosing a hit drops it, and clearing the choice
    // empties the field without searching for the empty text.
    void personAndLengthRules()
    {
        ActionsHarness h;
        h.server.on("GET", kPeoplePath).reply(200, peopleReply({hit(u"Ada"_s, u"ada@acme.example"_s)}));
        Store &store = h.start();
        const auto queries = [&] {
            QList<QByteArray> sent;
            for (const RecordedRequest &r : h.server.requestsTo(kPeoplePath))
                sent.append(r.rawQuery);
            return sent;
        };

        store.setAvailPreview(u"older block"_s);
        store.setForQuery(u"ad"_s);
        QCOMPARE(store.availPreview(), QString());
        QTRY_COMPARE(store.people().size(), 1);
        store.setForQuery(QString());
        QTRY_COMPARE(queries(), (QList<QByteArray>{"q=ad", "q="}));

        store.setAvailPreview(u"older block"_s);
        store.setForDuration(45);
        QCOMPARE(store.availPreview(), QString());

        store.setAvailPreview(u"older block"_s);
        store.chooseForWho(store.people().at(0));
        QCOMPARE(store.availPreview(), QString());
        store.setForQuery(u"nils"_s); // the field is hidden while someone is chosen
        store.setAvailPreview(u"older block"_s);
        store.clearForWho();
        QVERIFY(!store.hasForWho());
        QCOMPARE(store.forQuery(), QString());
        QCOMPARE(store.availPreview(), QString());

        // A marker search shows that nothing was sent in between.
        store.searchPeople(u"marker"_s);
        QTRY_COMPARE(queries().size(), 3);
        QCOMPARE(queries().last(), "q=marker"_ba);
    }

    // A search that fails keeps the hits; one whose reply does not decode empties them.
    void searchFailures()
    {
        ActionsHarness h;
        h.options.requestTimeouts.people = 300ms;
        h.server.on("GET", kPeoplePath).reply(200, peopleReply({hit(u"Old"_s, u"old@acme.example"_s)}));
        h.server.on("GET", kPeoplePath).never();
        h.server.on("GET", kPeoplePath).reply(200, R"({"error":"Contacts not synced."})");
        Store &store = h.start();
        store.searchPeople(u"ol"_s);
        QTRY_COMPARE(store.people().size(), 1);
        QSignalSpy changed(&store, &Store::peopleChanged);
        store.searchPeople(u"a"_s);
        QTRY_COMPARE(h.server.requestsTo(kPeoplePath).size(), 2);
        QTest::qWait(600); // past the time-out
        QCOMPARE(store.people().size(), 1);
        store.searchPeople(u"b"_s);
        QTRY_VERIFY(store.people().isEmpty());
        QCOMPARE(changed.size(), 1);
    }

    void staleSearchRepliesAreDropped()
    {
        const QList<PersonHit> forA{hit(u"Ada Lovelace"_s, u"ada@acme.example"_s),
                                    hit(u"Anna Berg"_s, u"anna@acme.example"_s)};
        const QList<PersonHit> forAd{hit(u"Ada Lovelace"_s, u"ada@acme.example"_s)};
        ActionsHarness h;
        h.server.on("GET", kPeoplePath).after(400ms).reply(200, peopleReply(forA));
        h.server.on("GET", kPeoplePath).reply(200, peopleReply(forAd));
        h.server.on("POST", kAvailPath).after(800ms).reply(200, R"({"error":"marker"})");
        Store &store = h.start();
        QSignalSpy changed(&store, &Store::peopleChanged);

        store.searchPeople(u"A"_s);                       // answered late
        store.searchPeople(u"Ad"_s);                      // answered at once
        store.copyAvailability(QString(), QString(), 30); // answered after both
        QTRY_COMPARE(store.people(), forAd);
        QTRY_COMPARE(store.availError(), u"marker"_s);
        QCOMPARE(store.people(), forAd);
        QCOMPARE(changed.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestStoreAvailability)
#include "tst_store_availability.moc"
