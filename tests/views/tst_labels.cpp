// The views' mappings and text rules, the mark, the tinted icons and the keyed meeting list.

#include "views/ghostimage.h"
#include "views/labels.h"
#include "views/meetinglistmodel.h"
#include "views/tintedicon.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>
#include <QUrlQuery>

using namespace Qt::Literals::StringLiterals;

namespace {

Meeting meeting(const QString &status, const QString &riskLevel = {})
{
    Meeting m;
    m.id = u"m1"_s;
    m.status = status;
    m.riskLevel = riskLevel;
    m.startsAt = QDateTime(QDate(2025, 3, 4), QTime(10, 0));
    m.endsAt = QDateTime(QDate(2025, 3, 4), QTime(11, 0));
    return m;
}

Meeting withId(const QString &id, const QString &title = {})
{
    Meeting m = meeting(u"confirmed"_s);
    m.id = id;
    m.title = title.isEmpty() ? id : title;
    return m;
}

QStringList idsOf(const MeetingListModel &model)
{
    QStringList ids;
    for (int row = 0; row < model.rowCount(); ++row)
        ids.append(model.data(model.index(row), MeetingListModel::IdRole).toString());
    return ids;
}

} // namespace

class TestLabels : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void colours_data()
    {
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("risk");
        QTest::addColumn<QColor>("riskColour");
        QTest::addColumn<QColor>("statusColour");

        QTest::newRow("confirmed beats high risk") << u"confirmed"_s << u"high"_s << Pal::green << Pal::green;
        QTest::newRow("vesk") << u"vesk"_s << u"high"_s << Pal::green << Pal::green;
        QTest::newRow("rescued") << u"rescued"_s << u"medium"_s << Pal::green << Pal::green;
        QTest::newRow("no-show is red") << u"no_show"_s << u"low"_s << Pal::red << Pal::red;
        QTest::newRow("at risk whatever the level") << u"at_risk"_s << u"low"_s << Pal::red << Pal::red;
        QTest::newRow("unconfirmed medium") << u"unconfirmed"_s << u"medium"_s << Pal::amber << Pal::amber;
        QTest::newRow("unconfirmed high") << u"unconfirmed"_s << u"high"_s << Pal::red << Pal::amber;
        QTest::newRow("unconfirmed low") << u"unconfirmed"_s << u"low"_s << Pal::green << Pal::amber;
        QTest::newRow("unconfirmed no level") << u"unconfirmed"_s << QString() << Pal::green << Pal::amber;
        QTest::newRow("capital C falls through to risk") << u"Confirmed"_s << u"high"_s << Pal::red << Pal::muted;
        QTest::newRow("unknown status, medium") << u"pending"_s << u"medium"_s << Pal::amber << Pal::muted;
        QTest::newRow("risk is case-sensitive") << u"pending"_s << u"High"_s << Pal::green << Pal::muted;
    }

    void colours()
    {
        QFETCH(QString, status);
        QFETCH(QString, risk);
        QFETCH(QColor, riskColour);
        QFETCH(QColor, statusColour);
        const Meeting m = meeting(status, risk);
        QCOMPARE(riskColor(m), riskColour);
        QCOMPARE(statusColor(m), statusColour);
    }

    void words_data()
    {
        QTest::addColumn<bool>("room");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("word");

        QTest::newRow("unconfirmed") << false << u"unconfirmed"_s << u"Unconfirmed"_s;
        QTest::newRow("confirmed") << false << u"confirmed"_s << u"Confirmed"_s;
        QTest::newRow("at_risk") << false << u"at_risk"_s << u"At risk"_s;
        QTest::newRow("vesk") << false << u"vesk"_s << u"Vesk"_s;
        QTest::newRow("rescued") << false << u"rescued"_s << u"Rescued"_s;
        QTest::newRow("no_show") << false << u"no_show"_s << u"No-show"_s;
        QTest::newRow("status unchanged") << false << u"Confirmed"_s << u"Confirmed"_s;
        QTest::newRow("status empty") << false << QString() << QString();
        QTest::newRow("zoom") << true << u"zoom"_s << u"Zoom"_s;
        QTest::newRow("meet") << true << u"meet"_s << u"Meet"_s;
        QTest::newRow("teams") << true << u"teams"_s << u"Teams"_s;
        QTest::newRow("webex") << true << u"webex"_s << u"Webex"_s;
        QTest::newRow("other") << true << u"other"_s << u"Video"_s;
        QTest::newRow("none") << true << u"none"_s << u"No link"_s;
        QTest::newRow("room unchanged") << true << u"jitsi"_s << u"jitsi"_s;
        QTest::newRow("tables are separate") << true << u"at_risk"_s << u"at_risk"_s;
    }

    void words()
    {
        QFETCH(bool, room);
        QFETCH(QString, code);
        QFETCH(QString, word);
        QCOMPARE(room ? roomLabel(code) : statusLabel(code), word);
    }

    void ghostSizes_data()
    {
        QTest::addColumn<qreal>("height");
        QTest::addColumn<qreal>("dpr");
        QTest::addColumn<qreal>("logicalWidth");
        QTest::addColumn<QSize>("pixels");

        QTest::newRow("header") << 18.0 << 1.0 << 15.0 << QSize(15, 18);
        QTest::newRow("tray") << 16.0 << 1.0 << 40.0 / 3.0 << QSize(14, 16);
        QTest::newRow("tray at 2x") << 16.0 << 2.0 << 40.0 / 3.0 << QSize(27, 32);
        QTest::newRow("header at 1.5x") << 18.0 << 1.5 << 15.0 << QSize(23, 27);
        QTest::newRow("grid size") << 48.0 << 1.0 << 40.0 << QSize(40, 48);
    }

    void ghostSizes()
    {
        QFETCH(qreal, height);
        QFETCH(qreal, dpr);
        QFETCH(qreal, logicalWidth);
        QFETCH(QSize, pixels);
        QVERIFY(qFuzzyCompare(ghostSize(height).width(), logicalWidth));
        QCOMPARE(ghostSize(height).height(), height);
        const QImage image = ghostImage(height, dpr, Qt::black);
        QCOMPARE(image.size(), pixels);
        QCOMPARE(image.devicePixelRatio(), dpr);
        QVERIFY(qFuzzyCompare(image.deviceIndependentSize().height(), pixels.height() / dpr));
    }

    void ghostShape()
    {
        // On the grid itself one unit is one pixel: the body is filled, the eyes and the hem's
        // notches are holes, the corners outside the rounded top are empty.
        const QColor tint(0x8F, 0x7B, 0xFF);
        const QImage image = ghostImage(48, 1.0, tint);
        const auto alphaAt = [&](int x, int y) { return qAlpha(image.pixel(x, y)); };
        QCOMPARE(alphaAt(20, 30), 255);           // body
        QCOMPARE(QColor(image.pixel(20, 30)), tint);
        QCOMPARE(alphaAt(14, 18), 0);             // left eye centre
        QCOMPARE(alphaAt(26, 18), 0);             // right eye centre
        QCOMPARE(alphaAt(20, 18), 255);           // between the eyes
        QCOMPARE(alphaAt(1, 1), 0);               // outside the rounded top
        QCOMPARE(alphaAt(20, 41), 0);             // notch of the hem below the middle peak
        QCOMPARE(alphaAt(14, 40), 255);           // hem point at (14, 42)
        QVERIFY(ghostImage(0, 1.0, tint).isNull());
    }

    void rowRules()
    {
        const Meeting m = meeting(u"confirmed"_s);
        const QDateTime ten(QDate(2025, 3, 4), QTime(10, 0));
        const QDateTime eleven(QDate(2025, 3, 4), QTime(11, 0));
        QVERIFY(Labels::isLive(m, ten));
        QVERIFY(!Labels::isPast(m, ten));
        QVERIFY(!Labels::isLive(m, eleven));
        QVERIFY(Labels::isPast(m, eleven));
        QVERIFY(!Labels::isLive(m, ten.addSecs(-1)));

        QCOMPARE(Labels::rowOpacity(m, eleven, false), 0.72);
        QCOMPARE(Labels::rowOpacity(m, eleven, true), 1.0);
        QCOMPARE(Labels::rowOpacity(m, ten, false), 1.0);
        QCOMPARE(Labels::rowOpacity(meeting(u"unconfirmed"_s), eleven, false), 1.0);
        QCOMPARE(Labels::rowOpacity(meeting(u"at_risk"_s), eleven, false), 1.0);
        QCOMPARE(Labels::rowOpacity(meeting(u"no_show"_s), eleven, false), 0.72);
    }

    void nextStep_data()
    {
        QTest::addColumn<QVariant>("action");
        QTest::addColumn<int>("minutesAfterTen");
        QTest::addColumn<bool>("shown");

        QTest::newRow("before the end") << QVariant(u"Send the agenda"_s) << 30 << true;
        QTest::newRow("hidden once ended") << QVariant(u"Send the agenda"_s) << 60 << false;
        QTest::newRow("nothing yet") << QVariant(u"Nothing yet, all good"_s) << 0 << false;
        QTest::newRow("empty") << QVariant(QString()) << 0 << false;
        QTest::newRow("absent") << QVariant() << 0 << false;
    }

    void nextStep()
    {
        QFETCH(QVariant, action);
        QFETCH(int, minutesAfterTen);
        QFETCH(bool, shown);
        Meeting m = meeting(u"confirmed"_s);
        if (action.isValid())
            m.action = action.toString();
        QCOMPARE(Labels::showsNextStep(m, QDateTime(QDate(2025, 3, 4), QTime(10, 0)).addSecs(minutesAfterTen * 60)),
                 shown);
    }

    void links()
    {
        Meeting m = meeting(u"confirmed"_s);
        m.people = {{u"Rena"_s, u"rena@example.com"_s, u"accepted"_s},
                    {u"Ivo"_s, u"ivo@example.com"_s, u"declined"_s},
                    {u"Nils"_s, u"nils@example.com"_s, u"needsAction"_s}};
        QCOMPARE(Labels::attendees(m), u"Rena \u2713, Ivo \u2717, Nils"_s);
        QCOMPARE(Labels::mailto(m).toString(), u"mailto:rena@example.com,ivo@example.com,nils@example.com"_s);

        const QDateTime before(QDate(2025, 3, 4), QTime(9, 0));
        QVERIFY(!Labels::offersJoin(m, before));
        m.joinUrl = u"https://zoom.example/j/1"_s;
        QVERIFY(Labels::offersJoin(m, before));
        QVERIFY(!Labels::offersJoin(m, QDateTime(QDate(2025, 3, 4), QTime(11, 0))));
        m.joinUrl = u"https://zoom example/j 1"_s;
        QVERIFY(!Labels::offersJoin(m, before));
        QVERIFY(Labels::joinUrl(m).isEmpty());

        // An address that breaks the mail link removes it.
        Meeting broken = m;
        broken.people[1].email = u"ivo example.com"_s;
        QVERIFY(Labels::mailto(broken).isEmpty());

        // No attendees: a link with no recipients.
        Meeting alone = m;
        alone.people.clear();
        QCOMPARE(Labels::attendees(alone), QString());
        QCOMPARE(Labels::mailto(alone).toString(), u"mailto:"_s);
    }

    void draftMail()
    {
        Meeting m = meeting(u"confirmed"_s);
        m.people = {{u"Rena"_s, u"rena@example.com"_s, u"accepted"_s}, {u"Ivo"_s, u"ivo@example.com"_s, {}}};
        const QString subject = u"Follow-up: Q&A + next steps"_s;
        const QString body = u"Hi Rena,\n\n100% = done? a=b&c\u00e9"_s;
        const QUrl url = Labels::draftMailUrl(m, subject, body);
        QVERIFY(url.isValid());
        QCOMPARE(url.scheme(), u"mailto"_s);
        QCOMPARE(url.path(), u"rena@example.com,ivo@example.com"_s);
        const QString encoded = url.toString(QUrl::FullyEncoded);
        QVERIFY2(encoded.contains(u"?subject=Follow-up%3A%20Q%26A%20%2B%20next%20steps&body="_s), qPrintable(encoded));
        QVERIFY2(!encoded.contains(u'\n'), qPrintable(encoded));
        // The query items come back exactly.
        const QUrlQuery query(url);
        QCOMPARE(query.queryItems(QUrl::FullyDecoded).size(), 2);
        QCOMPARE(query.queryItems(QUrl::FullyDecoded).at(0).first, u"subject"_s);
        QCOMPARE(QUrl::fromPercentEncoding(query.queryItemValue(u"subject"_s, QUrl::FullyEncoded).toUtf8()), subject);
        QCOMPARE(QUrl::fromPercentEncoding(query.queryItemValue(u"body"_s, QUrl::FullyEncoded).toUtf8()), body);

        QCOMPARE(Labels::draftText(u"Hello"_s, u"Body"_s), u"Subject: Hello\n\nBody"_s);
    }

    void quickAddMain_data()
    {
        QTest::addColumn<bool>("hasWhen");
        QTest::addColumn<QVariantList>("people"); // each: [name or null, email or null]
        QTest::addColumn<bool>("busy");
        QTest::addColumn<QString>("label");
        QTest::addColumn<bool>("enabled");

        const QVariant none;
        QTest::newRow("create with addresses") << true << QVariantList{QVariantList{u"Rena"_s, u"r@x.io"_s}} << false
                                               << u"Create & invite"_s << true;
        QTest::newRow("create, one without address")
            << true << QVariantList{QVariantList{u"Rena"_s, u"r@x.io"_s}, QVariantList{u"Ivo"_s, none}} << false
            << u"Create & invite"_s << false;
        QTest::newRow("create while busy") << true << QVariantList{QVariantList{u"Rena"_s, u"r@x.io"_s}} << true
                                           << u"Create & invite"_s << false;
        QTest::newRow("no people") << true << QVariantList{} << false << u"Add to calendar"_s << true;
        QTest::newRow("no people, busy") << true << QVariantList{} << true << u"Add to calendar"_s << false;
        QTest::newRow("no time, first name") << false << QVariantList{QVariantList{u"Rena Ortiz"_s, none}} << true
                                             << u"Copy times for Rena"_s << true;
        QTest::newRow("no time, no people") << false << QVariantList{} << false << u"Copy times for them"_s << true;
        QTest::newRow("no time, nameless") << false << QVariantList{QVariantList{none, u"r@x.io"_s}} << false
                                           << u"Copy times for them"_s << true;
    }

    void quickAddMain()
    {
        QFETCH(bool, hasWhen);
        QFETCH(QVariantList, people);
        QFETCH(bool, busy);
        QFETCH(QString, label);
        QFETCH(bool, enabled);
        QADraft draft;
        draft.durationMin = 30;
        if (hasWhen)
            draft.when = u"Wed 10:00"_s;
        for (const QVariant &entry : people) {
            const QVariantList pair = entry.toList();
            QAPerson person;
            person.query = u"q"_s;
            if (pair.at(0).isValid())
                person.name = pair.at(0).toString();
            if (pair.at(1).isValid())
                person.email = pair.at(1).toString();
            draft.people.append(person);
        }
        QCOMPARE(Labels::quickAddMainLabel(draft), label);
        QCOMPARE(Labels::quickAddMainEnabled(draft, busy), enabled);
        QCOMPARE(Labels::draftTimeLine(draft), hasWhen ? u"Wed 10:00 \u00B7 30 min"_s : QString());
    }

    void personTexts()
    {
        PersonHit named{u"Rena Ortiz"_s, u"rena@example.com"_s, u"Acme"_s};
        PersonHit nameless{std::nullopt, u"ivo@example.com"_s, {}};
        QCOMPARE(Labels::candidateLabel(named), u"Rena Ortiz  \u00B7  rena@example.com"_s);
        QCOMPARE(Labels::candidateLabel(nameless), u"ivo@example.com  \u00B7  ivo@example.com"_s);
        QCOMPARE(Labels::hitName(named), u"Rena Ortiz"_s);
        QCOMPARE(Labels::hitName(nameless), u"ivo"_s);
        QCOMPARE(Labels::chipText(named), u"for Rena Ortiz"_s);
        QCOMPARE(Labels::chipText(nameless), u"for ivo@example.com"_s);
    }

    void dayLabel()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        const QDateTime friday(QDate(2025, 12, 5), QTime(0, 0));
        QCOMPARE(Labels::dayLabel(friday, true), u"Today"_s);
        QCOMPARE(Labels::dayLabel(friday, false), u"Fri, Dec 5"_s);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        QCOMPARE(Labels::dayLabel(friday, false), u"Fri 5 Dec"_s);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        const QString time = Labels::timeOfDay(QDateTime(QDate(2025, 3, 4), QTime(14, 5)));
        QVERIFY2(time.startsWith(u"2:05"_s) && time.endsWith(u"PM"_s), qPrintable(time));
    }

    void icons()
    {
        const QStringList names{u"chevron.left"_s, u"chevron.right"_s, u"chevron.up"_s, u"chevron.down"_s,
                                u"sparkles"_s, u"calendar.badge.clock"_s, u"checkmark"_s, u"xmark"_s,
                                u"person.crop.circle"_s};
        for (const QString &name : names) {
            QVERIFY2(TintedIcon::exists(name), qPrintable(name));
            const QImage image = TintedIcon::render(name, QSize(32, 32), Pal::violet2);
            int covered = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    const QRgb pixel = image.pixel(x, y);
                    if (qAlpha(pixel) == 255) {
                        ++covered;
                        QCOMPARE(QColor(pixel), Pal::violet2);
                    }
                }
            }
            QVERIFY2(covered > 20, qPrintable(name));
        }
        QVERIFY(!TintedIcon::exists(u"nonexistent"_s));
    }

    void keyedList()
    {
        MeetingListModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setMeetings({withId(u"a"_s), withId(u"b"_s), withId(u"c"_s)});
        QCOMPARE(idsOf(model), (QStringList{u"a"_s, u"b"_s, u"c"_s}));

        // A reload with one meeting changed, one gone, one new and a new order keeps every row
        // still listed: no reset, and only the changed row reports a change.
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.setMeetings({withId(u"c"_s), withId(u"a"_s, u"Renamed"_s), withId(u"d"_s)});
        QCOMPARE(idsOf(model), (QStringList{u"c"_s, u"a"_s, u"d"_s}));
        QCOMPARE(resets.size(), 0);
        QCOMPARE(removed.size(), 1);
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(model.data(model.index(1), MeetingListModel::MeetingRole).value<Meeting>().title, u"Renamed"_s);

        // The same list again changes nothing.
        QSignalSpy anyChange(&model, &MeetingListModel::meetingsChanged);
        model.setMeetings(model.meetings());
        QCOMPARE(anyChange.size(), 0);

        // Two meetings under one id, then an empty list.
        model.setMeetings({withId(u"x"_s), withId(u"x"_s, u"Second"_s)});
        QCOMPARE(idsOf(model), (QStringList{u"x"_s, u"x"_s}));
        model.setMeetings({});
        QCOMPARE(model.rowCount(), 0);
    }
};

QTEST_MAIN(TestLabels)
#include "tst_labels.moc"
