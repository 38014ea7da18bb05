#include "platform/qsettingsstore.h"
#include "service/tokenstore.h"
#include "shell/appdelegate.h"
#include "support/fakeplatform.h"
#include "support/testenv.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <memory>

class TestCallbackUrl : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TempXdg> m_xdg;
    const QString m_key = AppDelegate::PendingStateKey.toString();

private Q_SLOTS:
    void initTestCase() { m_xdg = std::make_unique<TempXdg>(); }

    void init()
    {
        QSettingsStore().remove(m_key);
        QVERIFY(TokenStore().save(u"vesk_old"_qs));
    }

    void acceptance_data()
    {
        QTest::addColumn<QStringList>("urls");
        QTest::addColumn<QString>("pending");  // null: no sign-in was started here
        QTest::addColumn<QString>("accepted"); // the token saved; null when every URL is ignored

        const QString s = u"0A1B2C3D4E5F60718293A4B5C6D7E8F9ABCDEF01"_qs;
        const QString ok = u"vesk_abc123"_qs;
        const QString none;
        const auto row = [](const char *name, const QStringList &urls, const QString &pending,
                            const QString &token) { QTest::newRow(name) << urls << pending << token; };
        row("token first", {u"vesk://connect?token=vesk_abc123&state="_qs + s}, s, ok);
        row("state first, other items and fragment",
            {u"vesk://connect/done?state="_qs + s + u"&x&token=vesk_abc123#top"_qs}, s, ok);
        row("no sign-in started", {u"vesk://connect?token=vesk_abc123&state="_qs + s}, none, none);
        row("token without the vesk_ prefix", {u"vesk://connect?token=veskabc123&state="_qs + s}, s, none);
        row("empty token", {u"vesk://connect?token=&state="_qs + s}, s, none);
        row("missing state", {u"vesk://connect?token=vesk_abc123"_qs}, s, none);
        row("different state", {u"vesk://connect?token=vesk_abc123&state=0A1B"_qs}, s, none);
        row("state in other case", {u"vesk://connect?token=vesk_abc123&state="_qs + s.toLower()}, s, none);
        row("empty state against empty pending", {u"vesk://connect?token=vesk_abc123&state="_qs}, u""_qs,
            none);
        row("scheme upper case", {u"VESK://connect?token=vesk_abc123&state="_qs + s}, s, none);
        row("host mixed case", {u"vesk://Connect?token=vesk_abc123&state="_qs + s}, s, none);
        row("other host", {u"vesk://connected?token=vesk_abc123&state="_qs + s}, s, none);
        const QString p = u"0A1B"_qs;
        row("percent-encoded values", {u"vesk://connect?token=vesk%5Fab%2Fc%3D&state=%30A1B"_qs}, p,
            u"vesk_ab/c="_qs);
        row("broken percent-encoding", {u"vesk://connect?token=vesk_a%zz&state=0A1B"_qs}, p, none);
        row("control character in token", {u"vesk://connect?token=vesk_a%0Ab&state=0A1B"_qs}, p, none);
        row("two token items", {u"vesk://connect?token=vesk_first&token=vesk_second&state=0A1B"_qs}, p,
            u"vesk_first"_qs);
        row("two URLs with the same state",
            {u"vesk://connect?token=vesk_first&state=0A1B"_qs,
             u"vesk://connect?token=vesk_second&state=0A1B"_qs},
            p, u"vesk_first"_qs);
        row("an ignored URL does not stop the list",
            {u"vesk://connect?token=wrong&state=0A1B"_qs, u"vesk://connect?token=vesk_second&state=0A1B"_qs},
            p, u"vesk_second"_qs);
        row("overlong text", {u"vesk://connect?token=vesk_"_qs + QString(9000, u'a') + u"&state=0A1B"_qs}, p,
            none);
    }

    void acceptance()
    {
        QFETCH(QStringList, urls);
        QFETCH(QString, pending);
        QFETCH(QString, accepted);

        QSettingsStore settings;
        if (!pending.isNull())
            settings.setValue(m_key, pending);
        FakeSounds sounds;
        TokenStore tokens;
        AppDelegate delegate(settings, sounds, tokens);
        delegate.setPanelDelay(std::chrono::milliseconds(1));
        QSignalSpy connected(&delegate, &AppDelegate::veskConnected);
        QSignalSpy raised(&delegate, &AppDelegate::panelRequested);

        delegate.openUrls(urls);

        // What is on disk is what counts: the token file, and the settings file read again.
        QFile file(m_xdg->tokenPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()), accepted.isNull() ? u"vesk_old"_qs : accepted);
        const QVariant left = QSettingsStore().value(m_key);
        // Ignored URLs leave the pending state, so the real callback still completes.
        QCOMPARE(left.isValid(), accepted.isNull() && !pending.isNull());
        if (left.isValid())
            QCOMPARE(left.toString(), pending);
        QCOMPARE(connected.count(), accepted.isNull() ? 0 : 1);
        QCOMPARE(sounds.played, accepted.isNull() ? QList<Sounds::Sound>{} : QList{Sounds::Sound::SignedIn});
        QTest::qWait(20); // the 1 ms panel request of an accepted URL comes by now
        QCOMPARE(raised.count(), accepted.isNull() ? 0 : 1);
    }
};

QTEST_GUILESS_MAIN(TestCallbackUrl)
#include "tst_callbackurl.moc"
