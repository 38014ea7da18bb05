// The views' mappings and text rules, the palette's colour rules, the mark and the keyed meeting list.

#include "views/ghostimage.h"
#include "views/links.h"
#include "views/meetinglistmodel.h"
#include "views/palette.h"
#include "views/quickaddrules.h"
#include "views/rowrules.h"
#include "views/words.h"

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
        QTest::newRow("at risk whatever the level") << u"at_risk"_s << u"low"_s << Pal::red << Pal::red;
        QTest::newRow("unconfirmed high") << u"unconfirmed"_s << u"high"_s << Pal::red << Pal::amber;
        QTest::newRow("unconfirmed low") << u"unconfirmed"_s << u"low"_s << Pal::green << Pal::amber;
        QTest::newRow("capital C falls through to risk")
            << u"Confirmed"_s << u"high"_s << Pal::red << Pal::muted;
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
        QCOMPARE(Pal::riskColor(m), riskColour);
        QCOMPARE(Pal::statusColor(m), statusColour);
    }

    void words_data()
    {
        QTest::addColumn<bool>("room");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("word");

        QTest::newRow("status unchanged") << false << u"Confirmed"_s << u"Confirmed"_s;
        QTest::newRow("other") << true << u"other"_s << u"Video"_s;
        QTest::newRow("room unchanged") << true << u"jitsi"_s << u"jitsi"_s;
        QTest::newRow("tables are separate") << true << u"at_risk"_s << u"at_risk"_s;
    }

    void words()
    {
        QFETCH(bool, room);
        QFETCH(QString, code);
        QFETCH(QString, word);
        QCOMPARE(room ? Words::roomLabel(code) : Words::statusLabel(code), word);
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

    void ghostIsTheDrawingInTheGivenColour()
    {
        // Rendered from the built-in drawing: a good part of the image is covered, all in the tint.
        const QColor tint(0x8F, 0x7B, 0xFF);
        const QImage image = ghostImage(48, 1.0, tint).convertToFormat(QImage::Format_ARGB32);
        int covered = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                if (qAlpha(pixel) == 255) {
                    ++covered;
                    QCOMPARE(QColor(pixel), tint);
                }
            }
        }
        QVERIFY2(covered > image.width() * image.height() / 3, qPrintable(QString::number(covered)));
        QVERIFY(ghostImage(0, 1.0, tint).isNull());
    }

    void rowRules()
    {
        const Meeting m = meeting(u"confirmed"_s);
        const QDateTime ten(QDate(2025, 3, 4), QTime(10, 0));
        const QDateTime eleven(QDate(2025, 3, 4), QTime(11, 0));
        QVERIFY(RowRules::isLive(m, ten));
        QVERIFY(!RowRules::isPast(m, ten));
        QVERIFY(!RowRules::isLive(m, eleven));
        QVERIFY(RowRules::isPast(m, eleven));
        QVERIFY(!RowRules::isLive(m, ten.addSecs(-1)));
        // Ended rows fade unless open or still needing attention.
        QCOMPARE(RowRules::rowOpacity(m, ten, false), 1.0);
        QCOMPARE(RowRules::rowOpacity(meeting(u"no_show"_s), eleven, false), 0.72);
        QCOMPARE(RowRules::rowOpacity(meeting(u"at_risk"_s), eleven, false), 1.0);

        // The next step shows until the end, unless absent or the service's "nothing" text.
        Meeting step = m;
        QVERIFY(!RowRules::showsNextStep(step, ten));
        step.action = u"Send the agenda"_s;
        QVERIFY(RowRules::showsNextStep(step, ten));
        QVERIFY(!RowRules::showsNextStep(step, eleven));
        step.action = u"Nothing yet, all good"_s;
        QVERIFY(!RowRules::showsNextStep(step, ten));
    }

    void links()
    {
        Meeting m = meeting(u"confirmed"_s);
        m.people = {{u"Rena"_s, u"rena@example.com"_s, u"accepted"_s},
                    {u"Ivo"_s, u"ivo@example.com"_s, u"declined"_s},
                    {u"Nils"_s, u"nils@example.com"_s, u"needsAction"_s}};
        QCOMPARE(Words::attendees(m), u"Rena \u2713, Ivo \u2717, Nils"_s);
        QCOMPARE(Links::mailto(m).toString(), u"mailto:rena@example.com,ivo@example.com,nils@example.com"_s);

        const QDateTime before(QDate(2025, 3, 4), QTime(9, 0));
        QVERIFY(!Links::offersJoin(m, before));
        m.joinUrl = u"https://zoom.example/j/1"_s;
        QVERIFY(Links::offersJoin(m, before));
        QVERIFY(!Links::offersJoin(m, QDateTime(QDate(2025, 3, 4), QTime(11, 0))));
        m.joinUrl = u"https://zoom example/j 1"_s;
        QVERIFY(!Links::offersJoin(m, before));
        QVERIFY(Links::joinUrl(m).isEmpty());

        // An address that breaks the mail link removes it.
        Meeting broken = m;
        broken.people[1].email = u"ivo example.com"_s;
        QVERIFY(Links::mailto(broken).isEmpty());

        // No attendees: a link with no recipients.
        Meeting alone = m;
        alone.people.clear();
        QCOMPARE(Words::attendees(alone), QString());
        QCOMPARE(Links::mailto(alone).toString(), u"mailto:"_s);
    }

    void draftMail()
    {
        Meeting m = meeting(u"confirmed"_s);
        m.people = {{u"Rena"_s, u"rena@example.com"_s, u"accepted"_s}, {u"Ivo"_s, u"ivo@example.com"_s, {}}};
        const QString subject = u"Follow-up: Q&A + next steps"_s;
        const QString body = u"Hi Rena,\n\n100% = done? a=b&c\u00e9"_s;
        const QUrl url = Links::draftMailUrl(m, subject, body);
        QCOMPARE(url.path(), u"rena@example.com,ivo@example.com"_s);
        const QString encoded = url.toString(QUrl::FullyEncoded);
        QVERIFY2(encoded.contains(u"?subject=Follow-up%3A%20Q%26A%20%2B%20next%20steps&body="_s),
                 qPrintable(encoded));
        const QUrlQuery query(url);
        QCOMPARE(query.queryItems().size(), 2);
        QCOMPARE(QUrl::fromPercentEncoding(query.queryItemValue(u"body"_s, QUrl::FullyEncoded).toUtf8()),
                 body);

        QCOMPARE(Links::draftText(u"Hello"_s, u"Body"_s), u"Subject: Hello\n\nBody"_s);
    }

    void quickAddMainWhileBusy()
    {
        // Busy blocks creating, not copying times.
        QADraft draft;
        draft.durationMin = 30;
        QVERIFY(QuickAddRules::mainEnabled(draft, true));
        draft.when = u"Wed 10:00"_s;
        QVERIFY(!QuickAddRules::mainEnabled(draft, true));
        QVERIFY(QuickAddRules::mainEnabled(draft, false));
    }

    void dayLabel()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        const QDateTime friday(QDate(2025, 12, 5), QTime(0, 0));
        QCOMPARE(Words::dayLabel(friday, true), u"Today"_s);
        QCOMPARE(Words::dayLabel(friday, false), u"Fri, Dec 5"_s);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        QCOMPARE(Words::dayLabel(friday, false), u"Fri 5 Dec"_s);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        const QDateTime fiveAfterTwo(QDate(2025, 3, 4), QTime(14, 5, 30));
        const QString time = Words::timeOfDay(fiveAfterTwo);
        QVERIFY2(time.startsWith(u"2:05"_s) && time.endsWith(u"PM"_s), qPrintable(time));
        // The C locale's own short style has seconds; times never do.
        QLocale::setDefault(QLocale::c());
        QCOMPARE(Words::timeOfDay(fiveAfterTwo), u"14:05"_s);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void keyedList()
    {
        MeetingListModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        {
            // The first fill is one batch.
            QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
            QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
            model.setMeetings({withId(u"a"_s), withId(u"b"_s), withId(u"c"_s)});
            QCOMPARE(resets.size() + inserted.size(), 1);
        }
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
        QCOMPARE(model.data(model.index(1), MeetingListModel::MeetingRole).value<Meeting>().title,
                 u"Renamed"_s);

        // Neighbours arriving or leaving together are one insertion or removal.
        {
            QSignalSpy removedRun(&model, &QAbstractItemModel::rowsRemoved);
            QSignalSpy insertedRun(&model, &QAbstractItemModel::rowsInserted);
            QSignalSpy changedRun(&model, &QAbstractItemModel::dataChanged);
            model.setMeetings({withId(u"c"_s), withId(u"e"_s), withId(u"f"_s), withId(u"a"_s, u"Renamed"_s),
                               withId(u"d"_s)});
            QCOMPARE(idsOf(model), (QStringList{u"c"_s, u"e"_s, u"f"_s, u"a"_s, u"d"_s}));
            QCOMPARE(insertedRun.size(), 1);
            QCOMPARE(changedRun.size(), 0);
            model.setMeetings({withId(u"c"_s), withId(u"a"_s, u"Renamed"_s), withId(u"d"_s)});
            QCOMPARE(removedRun.size(), 1);
            QCOMPARE(idsOf(model), (QStringList{u"c"_s, u"a"_s, u"d"_s}));
        }

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
