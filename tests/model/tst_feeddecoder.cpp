#include "model/feeddecoder.h"

#include <QTest>

class TestFeedDecoder : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void emptyMeetings()
    {
        const auto r = decodeFeed(R"({"meetings": []})");
        QVERIFY(r.feed);
        QVERIFY(r.feed->meetings.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestFeedDecoder)
#include "tst_feeddecoder.moc"
