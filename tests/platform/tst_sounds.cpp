#include "platform/canberrasounds.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <canberra.h>

using namespace Qt::Literals::StringLiterals;

class TestSounds : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;

private Q_SLOTS:
    void initTestCase()
    {
        // ALSA reads ~/.asoundrc once per process; the null device accepts sound and plays nothing.
        QVERIFY(m_home.isValid());
        QFile config(m_home.filePath(u".asoundrc"_s));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write("pcm.!default { type null }\n");
        config.close();
        qputenv("HOME", QFile::encodeName(m_home.path()));
        qunsetenv("CANBERRA_DRIVER");
    }

    void playsEachSoundWithoutBlocking()
    {
        CanberraSounds sounds;
        for (Sounds::Sound sound : {Sounds::Sound::Copied, Sounds::Sound::Created, Sounds::Sound::SignedIn}) {
            QElapsedTimer timer;
            timer.start();
            sounds.play(sound);
            sounds.play(sound); // again while the first may still be playing
            QVERIFY2(timer.elapsed() < 500, qPrintable(QString::number(timer.elapsed())));
            // The theme has a file for the event id (or its shortened form) and the device took it.
            QCOMPARE(sounds.lastResult(), int(CA_SUCCESS));
        }
    }

    void silentWithoutASoundServer()
    {
        // A driver that is not installed stands for a desktop without a sound server.
        qputenv("CANBERRA_DRIVER", "vesk-missing-driver");
        CanberraSounds sounds;
        QElapsedTimer timer;
        timer.start();
        sounds.play(Sounds::Sound::Copied);
        sounds.play(Sounds::Sound::SignedIn);
        qunsetenv("CANBERRA_DRIVER");
        QVERIFY(timer.elapsed() < 500);
        QVERIFY(sounds.lastResult() < 0);
    }
};

QTEST_GUILESS_MAIN(TestSounds)
#include "tst_sounds.moc"
