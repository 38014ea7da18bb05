#include "model/qadraft.h"
#include "support/scriptedserver.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

QJsonObject draftFixture()
{
    return QJsonDocument::fromJson(fixture(u"qa_draft.json"_s)).object();
}

/// The fixture with one change applied at `path` ("people/0/candidates" style); an undefined
/// value removes the key.
QJsonObject edited(QJsonObject object, const QStringList &path, const QJsonValue &value)
{
    const QString key = path.first();
    if (path.size() == 1) {
        if (value.isUndefined())
            object.remove(key);
        else
            object.insert(key, value);
        return object;
    }
    QJsonArray array = object.value(key).toArray();
    const int index = path.at(1).toInt();
    array.replace(index, edited(array.at(index).toObject(), path.mid(2), value));
    object.insert(key, array);
    return object;
}

} // namespace

class TestQuickAddRecords : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodesTheFullDraft()
    {
        const std::optional<QADraft> draft = QADraft::fromJson(draftFixture());
        QVERIFY(draft);
        QCOMPARE(draft->start, std::optional<QString>(u"2025-03-05T15:00:00+01:00"_s));
        QCOMPARE(draft->durationMin, 30);
        QCOMPARE(draft->location, std::optional<QString>(u"Café Central"_s));
        QCOMPARE(draft->conflicts, QStringList{u"Standup 15:00–15:15"_s});
        QCOMPARE(draft->hasZoom, true);
        QCOMPARE(draft->people.size(), 2);
        const QAPerson &nils = draft->people.at(0);
        QCOMPARE(nils.query, u"Nils"_s);
        QCOMPARE(nils.email, std::optional<QString>(u"nils@acme.example"_s));
        QCOMPARE(nils.candidates.size(), 2);
        QCOMPARE(nils.candidates.at(0).name, std::optional<QString>(u"Nils Holm"_s));
        QCOMPARE(nils.candidates.at(1).name, std::nullopt); // null reads as absent
        QCOMPARE(nils.candidates.at(1).company, QString(u""_s));
        const QAPerson &ada = draft->people.at(1);
        QCOMPARE(ada.name, std::nullopt);
        QCOMPARE(ada.email, std::nullopt);
        QVERIFY(ada.candidates.isEmpty());
    }

    void strictDecoding_data()
    {
        QTest::addColumn<QStringList>("path");
        QTest::addColumn<QJsonValue>("value");
        QTest::addColumn<bool>("decodes");
        const QJsonValue absent(QJsonValue::Undefined);

        QTest::newRow("no hasZoom") << QStringList{u"hasZoom"_s} << absent << false;
        QTest::newRow("durationMin too large") << QStringList{u"durationMin"_s} << QJsonValue(1e12) << false;
        QTest::newRow("conflict as number")
            << QStringList{u"conflicts"_s} << QJsonValue(QJsonArray{1}) << false;
        QTest::newRow("person without candidates")
            << QStringList{u"people"_s, u"1"_s, u"candidates"_s} << absent << false;
        QTest::newRow("person without query")
            << QStringList{u"people"_s, u"0"_s, u"query"_s} << absent << false;
        QTest::newRow("candidate without company")
            << QStringList{u"people"_s, u"0"_s, u"candidates"_s, u"0"_s, u"company"_s} << absent << false;
        QTest::newRow("no start") << QStringList{u"start"_s} << absent << true;
        QTest::newRow("no location") << QStringList{u"location"_s} << absent << true;
        QTest::newRow("null when") << QStringList{u"when"_s} << QJsonValue() << true;
        QTest::newRow("person without name") << QStringList{u"people"_s, u"0"_s, u"name"_s} << absent << true;
        QTest::newRow("person email null")
            << QStringList{u"people"_s, u"0"_s, u"email"_s} << QJsonValue() << true;
    }

    void strictDecoding()
    {
        QFETCH(QStringList, path);
        QFETCH(QJsonValue, value);
        QFETCH(bool, decodes);
        const std::optional<QADraft> draft = QADraft::fromJson(edited(draftFixture(), path, value));
        QCOMPARE(draft.has_value(), decodes);
    }
};

QTEST_GUILESS_MAIN(TestQuickAddRecords)
#include "tst_quickaddrecords.moc"
