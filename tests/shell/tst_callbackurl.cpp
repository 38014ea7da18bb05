#include "platform/qsettingsstore.h"
#include "service/tokenstore.h"
#include "shell/appdelegate.h"
#include "shell/callbackurl.h"
#include "support/fakeplatform.h"
#include "support/testenv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace std::chrono_literals;

class TestCallbackUrl : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TempXdg> m_xdg;

    static QString readToken(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

private Q_SLOTS:
    void initTestCase() { m_xdg = std::make_unique<TempXdg>(); }

    void init()
    {
        QDir(m_xdg->dataHome()).removeRecursively();
        QSettingsStore settings;
        settings.remove(AppDelegate::PendingStateKey.toString());
        QVERIFY(TokenStore().save(QStringLiteral("vesk_old")));
    }

    void acceptance_data()
    {
        QTest::addColumn<QStringList>("urls");
        QTest::addColumn<QString>("pending");  // null: no sign-in was started here
        QTest::addColumn<QString>("accepted"); // the token saved; null when every URL is ignored

        const QString state = QStringLiteral("0A1B2C3D4E5F60718293A4B5C6D7E8F9ABCDEF01");
        auto row = [&](const char *name, QStringList urls, QString pending, QString accepted) {
            QTest::newRow(name) << urls << pending << accepted;
        };
        const QString ok = u"vesk_abc123"_qs;
        const QString none;
        row("token first", {u"vesk://connect?token=vesk_abc123&state="_qs + state}, state, ok);
        row("state first, other items and fragment",
            {u"vesk://connect/done?state="_qs + state + u"&x&token=vesk_abc123#top"_qs}, state, ok);
        row("no sign-in started", {u"vesk://connect?token=vesk_abc123&state="_qs + state}, none, none);
        row("token without prefix", {u"vesk://connect?token=abc123&state="_qs + state}, state, none);
        row("missing state", {u"vesk://connect?token=vesk_abc123"_qs}, state, none);
        row("different state", {u"vesk://connect?token=vesk_abc123&state=0A1B"_qs}, state, none);
        row("state in other case", {u"vesk://connect?token=vesk_abc123&state="_qs + state.toLower()}, state,
            none);
        row("empty state against empty pending", {u"vesk://connect?token=vesk_abc123&state="_qs}, u""_qs,
            none);
        row("scheme upper case", {u"VESK://connect?token=vesk_abc123&state="_qs + state}, state, none);
        row("host mixed case", {u"vesk://Connect?token=vesk_abc123&state="_qs + state}, state, none);
        row("other host", {u"vesk://connected?token=vesk_abc123&state="_qs + state}, state, none);
        row("percent-encoded values", {u"vesk://connect?token=vesk%5Fab%2Fc%3D&state=%30A1B"_qs}, u"0A1B"_qs,
            u"vesk_ab/c="_qs);
        row("broken percent-encoding", {u"vesk://connect?token=vesk_a%zz&state=0A1B"_qs}, u"0A1B"_qs, none);
        row("control character in token", {u"vesk://connect?token=vesk_a%0Ab&state=0A1B"_qs}, u"0A1B"_qs,
            none);
        row("two token items", {u"vesk://connect?token=vesk_first&token=vesk_second&state=0A1B"_qs},
            u"0A1B"_qs, u"vesk_first"_qs);
        row("two URLs with the same state",
            {u"vesk://connect?token=vesk_first&state=0A1B"_qs,
             u"vesk://connect?token=vesk_second&state=0A1B"_qs},
            u"0A1B"_qs, u"vesk_first"_qs);
        row("an ignored URL does not stop the list",
            {u"vesk://connect?token=wrong&state=0A1B"_qs, u"vesk://connect?token=vesk_second&state=0A1B"_qs},
            u"0A1B"_qs, u"vesk_second"_qs);
        row("overlong text", {u"vesk://connect?token=vesk_"_qs + QString(9000, u'a') + u"&state=0A1B"_qs},
            u"0A1B"_qs, none);
    }

    void acceptance()
    {
        QFETCH(QStringList, urls);
        QFETCH(QString, pending);
        QFETCH(QString, accepted);

        QSettingsStore settings;
        if (!pending.isNull())
            settings.setValue(AppDelegate::PendingStateKey.toString(), pending);
        FakeSounds sounds;
        TokenStore tokens;
        AppDelegate delegate(settings, sounds, tokens);
        delegate.setPanelDelay(1ms);
        QSignalSpy connected(&delegate, &AppDelegate::veskConnected);
        QSignalSpy toggled(&delegate, &AppDelegate::panelRequested);

        delegate.openUrls(urls);

        // What is on disk is what counts: a fresh settings object reads the file again.
        QSettingsStore reread;
        const QVariant left = reread.value(AppDelegate::PendingStateKey.toString());
        if (accepted.isNull()) {
            QCOMPARE(readToken(m_xdg->tokenPath()), u"vesk_old"_qs);
            QCOMPARE(left.isValid(), !pending.isNull());
            if (!pending.isNull())
                QCOMPARE(left.toString(), pending);
            QCOMPARE(connected.count(), 0);
            QVERIFY(sounds.played.isEmpty());
            QTest::qWait(20); // the 1 ms panel request of an accepted URL would have come by now
            QCOMPARE(toggled.count(), 0);
        } else {
            QCOMPARE(readToken(m_xdg->tokenPath()), accepted);
            QCOMPARE(fileMode(m_xdg->tokenPath()), 0600);
            QVERIFY(!left.isValid());
            QCOMPARE(connected.count(), 1);
            QCOMPARE(sounds.played, QList<Sounds::Sound>{Sounds::Sound::SignedIn});
            QVERIFY(toggled.wait(1000));
            QCOMPARE(toggled.count(), 1);
        }
    }

    void failedTokenWritePlaysNoSoundAndStillBringsUpThePanel()
    {
        // A folder where the file should be: the token cannot be written.
        QFile::remove(m_xdg->tokenPath());
        QVERIFY(QDir().mkpath(m_xdg->tokenPath() + u"/blocker"_qs));
        QSettingsStore settings;
        settings.setValue(AppDelegate::PendingStateKey.toString(), u"0A1B"_qs);
        FakeSounds sounds;
        TokenStore tokens;
        AppDelegate delegate(settings, sounds, tokens);
        QSignalSpy connected(&delegate, &AppDelegate::veskConnected);
        QSignalSpy toggled(&delegate, &AppDelegate::panelRequested);
        QElapsedTimer clock;
        clock.start();

        QVERIFY(delegate.openUrl(u"vesk://connect?token=vesk_abc&state=0A1B"_qs));
        QCOMPARE(connected.count(), 1); // the Store re-reads and finds no token
        QVERIFY(sounds.played.isEmpty());
        // The panel shows the sign-in screen again, after the usual short delay.
        QVERIFY(toggled.wait(2000));
        QVERIFY2(clock.elapsed() >= 280, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(tokens.load(), std::nullopt);
        QVERIFY(!settings.value(AppDelegate::PendingStateKey.toString()).isValid());
    }
};

QTEST_GUILESS_MAIN(TestCallbackUrl)
#include "tst_callbackurl.moc"
