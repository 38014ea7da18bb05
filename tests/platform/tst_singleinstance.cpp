#include "platform/singleinstance.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <cstring>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using Result = SingleInstance::ForwardResult;
using Role = SingleInstance::Role;

namespace {

// Uses up every file descriptor this process may open, until destroyed.
struct NoFileDescriptorsLeft
{
    NoFileDescriptorsLeft()
    {
        ::getrlimit(RLIMIT_NOFILE, &old);
        rlimit low = old;
        low.rlim_cur = 256; // keeps the number of descriptors to use up small
        ::setrlimit(RLIMIT_NOFILE, &low);
        for (int fd; (fd = ::dup(STDERR_FILENO)) >= 0;)
            taken.append(fd);
    }
    ~NoFileDescriptorsLeft()
    {
        for (int fd : std::as_const(taken))
            ::close(fd);
        ::setrlimit(RLIMIT_NOFILE, &old);
    }
    rlimit old{};
    QList<int> taken;
};

// forward() and status() block until the instance answers, so they run on a thread of their own
// while this one serves.
template<typename Work>
auto offThread(Work work)
{
    std::atomic<bool> done = false;
    decltype(work()) result{};
    std::thread worker([&] {
        result = work();
        done = true;
    });
    while (!done)
        QTest::qWait(5);
    worker.join();
    return result;
}

Result forward(const SingleInstance &client, const QStringList &arguments)
{
    return offThread([&] { return client.forward(arguments, 3000); });
}

void becomePrimary(SingleInstance &instance)
{
    QCOMPARE(instance.claim(), Role::Primary);
    QVERIFY(instance.listen());
}

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_runtime;

private Q_SLOTS:
    void init()
    {
        m_runtime = std::make_unique<QTemporaryDir>();
        QVERIFY(m_runtime->isValid());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime->path()));
    }

    void forwardsArgumentsToTheRunningInstance()
    {
        // A folder left too open is made private again.
        QVERIFY(QDir().mkpath(SingleInstance::folder()));
        QVERIFY(QFile::setPermissions(SingleInstance::folder(), QFileDevice::Permissions(0x7755)));
        SingleInstance primary;
        becomePrimary(primary);
        QCOMPARE(fileMode(SingleInstance::folder()), 0700);
        QCOMPARE(fileMode(SingleInstance::socketPath()), 0600);

        SingleInstance second;
        QCOMPARE(second.claim(), Role::Secondary);
        QSignalSpy received(&primary, &SingleInstance::received);
        const QString url = u"vesk://connect?token=vesk_%C3%A9&state=0A"_qs;
        QCOMPARE(forward(second, {url, u"with\nnewline"_qs, u"Ünïcödé"_qs}), Result::Delivered);
        // A launch without arguments still reaches the instance (it shows the panel).
        QCOMPARE(forward(second, {}), Result::Delivered);
        QCOMPARE(received.count(), 2);
        QCOMPARE(received.at(0).at(0).toStringList(), (QStringList{url, u"Ünïcödé"_qs}));
        QCOMPARE(received.at(1).at(0).toStringList(), QStringList());

        // The `vesk-bar` launcher hands a panel request over without starting the application, in
        // the application's own format; anything else is answered by the application itself.
        const auto launch = [](const QStringList &arguments) {
            QProcess launcher;
            launcher.start(QStringLiteral(VESK_LAUNCHER), arguments);
            while (launcher.state() != QProcess::NotRunning)
                QTest::qWait(5); // the receipt comes from this thread's event loop
            return std::pair(launcher.exitCode(), launcher.readAllStandardOutput());
        };
        QCOMPARE(launch({u"--copy-availability"_qs, u"--toggle"_qs}).first, 0);
        const auto [code, output] = launch({u"--version"_qs});
        QCOMPARE(code, 0);
        QVERIFY2(output.startsWith("vesk-bar "), output.constData());
        QCOMPARE(received.count(), 3);
        QCOMPARE(received.at(2).at(0).toStringList(),
                 (QStringList{u"--toggle"_qs, u"--copy-availability"_qs}));
    }

    void foreignUserIsRefused_data()
    {
        QTest::addColumn<bool>("instanceSide");
        QTest::addColumn<Result>("result");
        QTest::newRow("instance refuses another user's process") << true << Result::Failed;
        QTest::newRow("client refuses another user's instance") << false << Result::Refused;
    }

    void foreignUserIsRefused()
    {
        QFETCH(bool, instanceSide);
        QFETCH(Result, result);
        SingleInstance primary;
        QCOMPARE(primary.claim(), Role::Primary);
        SingleInstance second;
        (instanceSide ? primary : second).setExpectedUid(::getuid() + 1); // every peer is another user
        QVERIFY(primary.listen());
        QSignalSpy received(&primary, &SingleInstance::received);
        QCOMPARE(forward(second, {u"vesk://connect?token=vesk_x&state=0A"_qs}), result);
        // The status line is not given to, or taken from, another user either.
        primary.publishStatus("{}");
        QCOMPARE(offThread([&] { return second.status(false, [](const QByteArray &) {}); }), result);
        QTest::qWait(50);
        QCOMPARE(received.count(), 0);
    }

    void badInputIsDropped_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("over the cap")
            << QByteArray("vesk-bar 1\n") + QByteArray(SingleInstance::MaxMessage, 'a');
        QTest::newRow("wrong header") << QByteArray("hello\nvesk://connect\n\n");
        QTest::newRow("never finished") << QByteArray("vesk-bar 1\nvesk://connect");
    }

    void badInputIsDropped()
    {
        QFETCH(QByteArray, bytes);
        SingleInstance primary;
        becomePrimary(primary);
        QSignalSpy received(&primary, &SingleInstance::received);
        QLocalSocket socket;
        socket.connectToServer(SingleInstance::socketPath());
        QVERIFY(socket.waitForConnected(1000));
        socket.write(bytes);
        QTRY_COMPARE_WITH_TIMEOUT(socket.state(), QLocalSocket::UnconnectedState, 5000);
        QCOMPARE(received.count(), 0);
        // A forwarded argument list over the cap is not even sent.
        QCOMPARE(SingleInstance().forward({QString(SingleInstance::MaxMessage, u'x')}, 500), Result::TooLong);
    }

    void recoversWhenOutOfFileDescriptors()
    {
        SingleInstance primary;
        QCOMPARE(primary.claim(), Role::Primary);
        QSignalSpy received(&primary, &SingleInstance::received);
        {
            // Start-up cannot open the socket: it keeps trying.
            NoFileDescriptorsLeft exhausted;
            QVERIFY(!primary.listen());
        }
        QTRY_VERIFY_WITH_TIMEOUT(primary.isListening(), 5000);

        // A later launch connects while the instance cannot accept it: it is served once the
        // instance can, and the ones after it too.
        const int client = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        QVERIFY(client >= 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray path = QFile::encodeName(SingleInstance::socketPath());
        std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
        {
            NoFileDescriptorsLeft exhausted;
            QCOMPARE(::connect(client, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
            const QByteArray message = "vesk-bar 1\n--toggle\n\n";
            QCOMPARE(::send(client, message.constData(), size_t(message.size()), MSG_NOSIGNAL),
                     ssize_t(message.size()));
            QTest::qWait(200); // the instance tries to accept meanwhile
        }
        QTRY_COMPARE_WITH_TIMEOUT(received.count(), 1, 5000);
        QCOMPARE(received.at(0).at(0).toStringList(), QStringList{u"--toggle"_qs});
        ::close(client);
        SingleInstance later;
        QCOMPARE(later.claim(), Role::Secondary);
        QCOMPARE(forward(later, {u"vesk://connect"_qs}), Result::Delivered);
        QCOMPARE(received.count(), 2);
    }

    // A file left by a killed instance, or a folder with content, in place of the socket.
    void leftoversInPlaceOfTheSocketDoNotBlockTheNextInstance()
    {
        for (bool folder : {false, true}) {
            init();                                            // a fresh runtime folder
            QCOMPARE(SingleInstance().claim(), Role::Primary); // and gone, lock and all
            if (folder)
                QVERIFY(QDir().mkpath(SingleInstance::socketPath() + u"/inside"_qs));
            else
                QVERIFY(QFile(SingleInstance::socketPath()).open(QIODevice::WriteOnly));
            SingleInstance second;
            QCOMPARE(second.forward({u"--toggle"_qs}, 300), Result::NoInstance);
            becomePrimary(second);
            SingleInstance third;
            QCOMPARE(third.claim(), Role::Secondary);
            QCOMPARE(forward(third, {u"--toggle"_qs}), Result::Delivered);
        }
    }

    // A symbolic link in place of the folder, or no runtime folder at all: every process on its own.
    void noSharingWithoutARuntimeFolder()
    {
        QTemporaryDir elsewhere;
        QVERIFY(QFile::link(elsewhere.path(), SingleInstance::folder()));
        for (bool unset : {false, true}) {
            if (unset)
                qunsetenv("XDG_RUNTIME_DIR");
            SingleInstance instance;
            QCOMPARE(instance.claim(), Role::Unavailable);
            QVERIFY(!instance.listen());
            QCOMPARE(instance.forward({u"--toggle"_qs}, 200), Result::NoInstance);
        }
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
