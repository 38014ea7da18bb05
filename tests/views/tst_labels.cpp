// The keyed meeting list behind the panel's rows.

#include "views/meetinglistmodel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestLabels : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keyedList()
    {
        const auto meeting = [](const QString &id, const QString &title = {}) {
            Meeting m;
            m.id = id;
            m.title = title.isEmpty() ? id : title;
            return m;
        };
        MeetingListModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        const auto ids = [&] {
            QStringList all;
            for (int row = 0; row < model.rowCount(); ++row)
                all.append(model.data(model.index(row), MeetingListModel::IdRole).toString());
            return all;
        };
        model.setMeetings({meeting(u"a"_s), meeting(u"b"_s), meeting(u"c"_s)});

        // A reload with one meeting changed, one gone, one new and a new order keeps every row
        // still listed: no reset, and only the changed row reports a change.
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.setMeetings({meeting(u"c"_s), meeting(u"a"_s, u"Renamed"_s), meeting(u"d"_s)});
        QCOMPARE(ids(), (QStringList{u"c"_s, u"a"_s, u"d"_s}));
        QCOMPARE(model.data(model.index(1), MeetingListModel::MeetingRole).value<Meeting>().title,
                 u"Renamed"_s);
        QCOMPARE(resets.size(), 0);
        QCOMPARE(removed.size(), 1);
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(changed.size(), 1);

        // Later meetings follow in their own section; at midnight tomorrow's meeting becomes
        // today's (the Store announces today first): its row stays and reports its new section.
        model.setMeetings({meeting(u"a"_s)});
        model.setLaterMeetings({meeting(u"t"_s)});
        QCOMPARE(ids(), (QStringList{u"a"_s, u"t"_s}));
        QCOMPARE(model.count(), 1);
        QCOMPARE(model.data(model.index(1), MeetingListModel::SectionRole).toString(), u"later"_s);
        changed.clear();
        model.setMeetings({meeting(u"a"_s), meeting(u"t"_s)});
        model.setLaterMeetings({});
        QCOMPARE(ids(), (QStringList{u"a"_s, u"t"_s}));
        QCOMPARE(resets.size(), 0);
        QCOMPARE(model.data(model.index(1), MeetingListModel::SectionRole).toString(), QString());
        QVERIFY(!changed.isEmpty());
    }
};

QTEST_MAIN(TestLabels)
#include "tst_labels.moc"
