#include "platform/qsettingsstore.h"
#include "service/tokenstore.h"
#include "shell/appdelegate.h"
#include "shell/callbackurl.h"
#include "state/appevents.h"
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
    // One set of folders for the whole run: QSettings keeps the configuration path it saw first.
    std::unique_ptr<TempXdg> m_xdg;

    static QString readToken(const QString &path)
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll());
    }

private Q_SLOTS:
    void initTestCase() { m_xdg = std::make_unique<TempXdg>(); }

    void init()
    {
        QDir(m_xdg->dataHome()).removeRecursively();
        QSettingsStore settings;
        settings.remove(AppDelegate::PendingStateKey.toString());
        QVERIFY(TokenStore::save(QStringLiteral("vesk_old")));
    }

    void acceptance_data()
    {
        QTest::addColumn<QStringList>("urls");
        QTest::addColumn<QString>("pending"); // null: no sign-in was started here
        QTest::addColumn<QString>("accepted"); // the token saved; null when every URL is ignored

        const QString state = QStringLiteral("0A1B2C3D4E5F60718293A4B5C6D7E8F9ABCDEF01");
        auto row = [&](const char *name, QStringList urls, QString pending, QString accepted) {
            QTest::newRow(name) << urls << pending << accepted;
        };
        const QString ok = u"vesk_abc123"_qs;
        row("token first", {u"vesk://connect?token=vesk_abc123&state="_qs + state}, state, ok);
        row("state first", {u"vesk://connect?state="_qs + state + u"&token=vesk_abc123"_qs}, state, ok);
        row("other items, path and fragment",
            {u"vesk://connect/done?from=web&token=vesk_abc123&x&state="_qs + state + u"#top"_qs}, state, ok);
        row("user and port are not looked at", {u"vesk://me@connect:9?token=vesk_abc123&state="_qs + state}, state, ok);
        row("no sign-in started", {u"vesk://connect?token=vesk_abc123&state="_qs + state}, QString(), QString());
        row("token without prefix", {u"vesk://connect?token=abc123&state="_qs + state}, state, QString());
        row("prefix in other case", {u"vesk://connect?token=Vesk_abc123&state="_qs + state}, state, QString());
        row("empty token", {u"vesk://connect?token=&state="_qs + state}, state, QString());
        row("token without value", {u"vesk://connect?token&state="_qs + state}, state, QString());
        row("missing state", {u"vesk://connect?token=vesk_abc123"_qs}, state, QString());
        row("no query", {u"vesk://connect"_qs}, state, QString());
        row("different state", {u"vesk://connect?token=vesk_abc123&state=0A1B"_qs}, state, QString());
        row("state in other case", {u"vesk://connect?token=vesk_abc123&state="_qs + state.toLower()}, state,
            QString());
        row("empty state against empty pending", {u"vesk://connect?token=vesk_abc123&state="_qs}, u""_qs, QString());
        row("scheme upper case", {u"VESK://connect?token=vesk_abc123&state="_qs + state}, state, QString());
        row("scheme mixed case", {u"Vesk://connect?token=vesk_abc123&state="_qs + state}, state, QString());
        row("host upper case", {u"vesk://CONNECT?token=vesk_abc123&state="_qs + state}, state, QString());
        row("host mixed case", {u"vesk://Connect?token=vesk_abc123&state="_qs + state}, state, QString());
        row("other host", {u"vesk://connected?token=vesk_abc123&state="_qs + state}, state, QString());
        row("other scheme", {u"https://connect?token=vesk_abc123&state="_qs + state}, state, QString());
        row("no authority", {u"vesk:connect?token=vesk_abc123&state="_qs + state}, state, QString());
        row("percent-encoded values", {u"vesk://connect?token=vesk%5Fab%2Fc%3D&state=%30A1B"_qs}, u"0A1B"_qs,
            u"vesk_ab/c="_qs);
        row("percent-encoded names", {u"vesk://connect?%74oken=vesk_abc123&st%61te=0A1B"_qs}, u"0A1B"_qs, ok);
        row("plus stays a plus", {u"vesk://connect?token=vesk_a+b&state=0A1B"_qs}, u"0A1B"_qs, u"vesk_a+b"_qs);
        row("broken percent-encoding", {u"vesk://connect?token=vesk_a%zz&state=0A1B"_qs}, u"0A1B"_qs, QString());
        row("not UTF-8", {u"vesk://connect?token=vesk_%FF&state=0A1B"_qs}, u"0A1B"_qs, QString());
        row("control character in token", {u"vesk://connect?token=vesk_a%0Ab&state=0A1B"_qs}, u"0A1B"_qs, QString());
        row("blank in the raw text", {u"vesk://connect?token=vesk_a b&state=0A1B"_qs}, u"0A1B"_qs, QString());
        row("two token items", {u"vesk://connect?token=vesk_first&token=vesk_second&state=0A1B"_qs}, u"0A1B"_qs,
            u"vesk_first"_qs);
        row("first token item has no value", {u"vesk://connect?token&token=vesk_second&state=0A1B"_qs}, u"0A1B"_qs,
            QString());
        row("two state items", {u"vesk://connect?token=vesk_abc123&state=0A1B&state=FFFF"_qs}, u"0A1B"_qs, ok);
        row("two URLs with the same state",
            {u"vesk://connect?token=vesk_first&state=0A1B"_qs, u"vesk://connect?token=vesk_second&state=0A1B"_qs},
            u"0A1B"_qs, u"vesk_first"_qs);
        row("an ignored URL does not stop the list",
            {u"vesk://connect?token=wrong&state=0A1B"_qs, u"vesk://connect?token=vesk_second&state=0A1B"_qs},
            u"0A1B"_qs, u"vesk_second"_qs);
        row("overlong text", {u"vesk://connect?token=vesk_"_qs + QString(9000, u'a') + u"&state=0A1B"_qs},
            u"0A1B"_qs, QString());
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
        AppDelegate delegate(settings, sounds);
        delegate.setToggleDelay(1ms);
        QSignalSpy connected(&AppEvents::instance(), &AppEvents::veskConnected);
        QSignalSpy toggled(&delegate, &AppDelegate::toggleRequested);

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
            QTest::qWait(20); // the 1 ms toggle of an accepted URL would have come by now
            QCOMPARE(toggled.count(), 0);
        } else {
            QCOMPARE(readToken(m_xdg->tokenPath()), accepted);
            QCOMPARE(fileMode(m_xdg->tokenPath()), 0600);
            QVERIFY(!left.isValid());
            QCOMPARE(connected.count(), 1);
            QCOMPARE(sounds.played, QList<Sounds::Sound>{Sounds::Sound::SignedIn});
            QVERIFY(toggled.wait(1000));
            QCOMPARE(toggled.count(), 1);
            QCOMPARE(TokenStore::load(), std::optional<QString>(accepted));
        }
    }

    void toggleFollowsAfterAShortDelay()
    {
        QSettingsStore settings;
        settings.setValue(AppDelegate::PendingStateKey.toString(), u"0A1B"_qs);
        FakeSounds sounds;
        AppDelegate delegate(settings, sounds);
        QSignalSpy toggled(&delegate, &AppDelegate::toggleRequested);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(delegate.openUrl(u"vesk://connect?token=vesk_abc&state=0A1B"_qs));
        QCOMPARE(toggled.count(), 0);
        QVERIFY(toggled.wait(2000));
        QVERIFY2(clock.elapsed() >= 280, qPrintable(QString::number(clock.elapsed())));
    }

    void failedTokenWritePlaysNoSound()
    {
        // A folder where the file should be: the token cannot be written.
        QFile::remove(m_xdg->tokenPath());
        QVERIFY(QDir().mkpath(m_xdg->tokenPath() + u"/blocker"_qs));
        QSettingsStore settings;
        settings.setValue(AppDelegate::PendingStateKey.toString(), u"0A1B"_qs);
        FakeSounds sounds;
        AppDelegate delegate(settings, sounds);
        delegate.setToggleDelay(1ms);
        QSignalSpy connected(&AppEvents::instance(), &AppEvents::veskConnected);
        QSignalSpy toggled(&delegate, &AppDelegate::toggleRequested);

        QVERIFY(delegate.openUrl(u"vesk://connect?token=vesk_abc&state=0A1B"_qs));
        QCOMPARE(connected.count(), 1); // the Store re-reads and finds no token
        QVERIFY(sounds.played.isEmpty());
        QVERIFY(toggled.wait(1000)); // the panel shows the sign-in screen again
        QCOMPARE(TokenStore::load(), std::nullopt);
        QVERIFY(!settings.value(AppDelegate::PendingStateKey.toString()).isValid());
    }
};

QTEST_GUILESS_MAIN(TestCallbackUrl)
#include "tst_callbackurl.moc"
