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

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_runtime;

    // forward() blocks until the receipt, so it runs on its own thread while this one serves.
    static Result forwardFromThread(const SingleInstance &client, const QStringList &arguments)
    {
        std::atomic<bool> done = false;
        Result result = Result::Failed;
        std::thread worker([&] {
            result = client.forward(arguments, 3000);
            done = true;
        });
        while (!done)
            QTest::qWait(5);
        worker.join();
        return result;
    }

    // status() blocks as well; returns the result and the line it got.
    static std::pair<Result, QByteArray> statusFromThread(const SingleInstance &client)
    {
        std::atomic<bool> done = false;
        Result result = Result::Failed;
        QByteArray line;
        std::thread worker([&] {
            result = client.status(false, [&line](const QByteArray &got) { line = got; });
            done = true;
        });
        while (!done)
            QTest::qWait(5);
        worker.join();
        return {result, line};
    }

private Q_SLOTS:
    void init()
    {
        m_runtime = std::make_unique<QTemporaryDir>();
        QVERIFY(m_runtime->isValid());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime->path()));
    }

    void forwardsArgumentsToTheRunningInstance()
    {
        // A folder left too open by someone else is made private again.
        QVERIFY(QDir().mkpath(SingleInstance::folder()));
        QVERIFY(QFile::setPermissions(SingleInstance::folder(), QFileDevice::Permissions(0x7755)));
        SingleInstance primary;
        QCOMPARE(primary.claim(), SingleInstance::Role::Primary);
        QVERIFY(primary.listen());
        QCOMPARE(fileMode(SingleInstance::folder()), 0700);
        QCOMPARE(fileMode(SingleInstance::socketPath()), 0600);

        SingleInstance second;
        QCOMPARE(second.claim(), SingleInstance::Role::Secondary);
        QSignalSpy received(&primary, &SingleInstance::received);
        const QString url = u"vesk://connect?token=vesk_%C3%A9&state=0A"_qs;
        QCOMPARE(forwardFromThread(second, {url, u"with\nnewline"_qs, u"Ünïcödé"_qs}), Result::Delivered);
        QCOMPARE(received.count(), 1);
        QCOMPARE(received.at(0).at(0).toStringList(), (QStringList{url, u"Ünïcödé"_qs}));

        // A launch without arguments still reaches the instance (it shows the panel).
        QCOMPARE(forwardFromThread(second, {}), Result::Delivered);
        QCOMPARE(received.count(), 2);
        QCOMPARE(received.at(1).at(0).toStringList(), QStringList());
    }

    // The `vesk-bar` launcher hands a panel request over without starting the application, in the
    // application's own format; anything else, or no listener, starts the application.
    void launcherForwardsPanelRequests()
    {
        SingleInstance primary;
        QCOMPARE(primary.claim(), SingleInstance::Role::Primary);
        QVERIFY(primary.listen());
        QSignalSpy received(&primary, &SingleInstance::received);
        const auto launch = [](const QStringList &arguments) {
            QProcess launcher;
            launcher.start(QStringLiteral(VESK_LAUNCHER), arguments);
            while (launcher.state() != QProcess::NotRunning)
                QTest::qWait(5); // the receipt comes from this thread's event loop
            return std::pair(launcher.exitCode(), launcher.readAllStandardOutput());
        };
        QCOMPARE(launch({u"--toggle"_qs}).first, 0);
        QCOMPARE(launch({u"--copy-availability"_qs, u"--toggle"_qs}).first, 0);
        QCOMPARE(launch({}).first, 0);
        QCOMPARE(received.count(), 3);
        QCOMPARE(received.at(0).at(0).toStringList(), QStringList{u"--toggle"_qs});
        QCOMPARE(received.at(1).at(0).toStringList(),
                 (QStringList{u"--toggle"_qs, u"--copy-availability"_qs}));
        QCOMPARE(received.at(2).at(0).toStringList(), QStringList());

        // Not a panel request: the application answers it itself, forwarding nothing.
        const auto [code, output] = launch({u"--version"_qs});
        QCOMPARE(code, 0);
        QVERIFY2(output.startsWith("vesk-bar "), output.constData());
        QCOMPARE(received.count(), 3);
    }

    void foreignUserIsRefused_data()
    {
        QTest::addColumn<bool>("instanceSide");
        QTest::addColumn<int>("result");
        QTest::newRow("instance refuses another user's process") << true << int(Result::Failed);
        QTest::newRow("client refuses another user's instance") << false << int(Result::Refused);
    }

    void foreignUserIsRefused()
    {
        QFETCH(bool, instanceSide);
        QFETCH(int, result);
        SingleInstance primary;
        QCOMPARE(primary.claim(), SingleInstance::Role::Primary);
        SingleInstance second;
        // Every peer now looks like a process of another user.
        (instanceSide ? primary : second).setExpectedUid(::getuid() + 1);
        QVERIFY(primary.listen());
        QSignalSpy received(&primary, &SingleInstance::received);
        QCOMPARE(int(forwardFromThread(second, {u"vesk://connect?token=vesk_x&state=0A"_qs})), result);
        QTest::qWait(50);
        QCOMPARE(received.count(), 0);
        // The status line is not given to, or taken from, another user either.
        primary.publishStatus("{}");
        QCOMPARE(int(statusFromThread(second).first), result);
    }

    void statusAnswersAndFollows()
    {
        SingleInstance primary;
        QCOMPARE(primary.claim(), SingleInstance::Role::Primary);
        QVERIFY(primary.listen());
        primary.publishStatus(R"({"text":"in 5m"})");
        SingleInstance client;
        QCOMPARE(statusFromThread(client),
                 std::make_pair(Result::Delivered, QByteArray(R"({"text":"in 5m"})")));

        // A request in pieces is still one; a follower gets each change once and outlives the read time-out.
        QLocalSocket follower;
        follower.connectToServer(SingleInstance::socketPath());
        QVERIFY(follower.waitForConnected(1000));
        follower.write("vesk-bar fol");
        QVERIFY(follower.waitForBytesWritten(1000));
        QTest::qWait(50);
        follower.write("low\n\n");
        QTRY_COMPARE(follower.bytesAvailable(), qint64(17));
        QCOMPARE(follower.readLine(), QByteArray("{\"text\":\"in 5m\"}\n"));
        primary.publishStatus(R"({"text":"now"})");
        primary.publishStatus(R"({"text":"now"})");
        QTRY_VERIFY(follower.canReadLine());
        QCOMPARE(follower.readAll(), QByteArray("{\"text\":\"now\"}\n"));
        QTest::qWait(2300);
        QCOMPARE(follower.state(), QLocalSocket::ConnectedState);
        QVERIFY(follower.readAll().isEmpty());
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
        QCOMPARE(primary.claim(), SingleInstance::Role::Primary);
        QVERIFY(primary.listen());
        QSignalSpy received(&primary, &SingleInstance::received);
        QLocalSocket socket;
        socket.connectToServer(SingleInstance::socketPath());
        QVERIFY(socket.waitForConnected(1000));
        socket.write(bytes);
        QTRY_COMPARE_WITH_TIMEOUT(socket.state(), QLocalSocket::UnconnectedState, 5000);
        QCOMPARE(received.count(), 0);

        // A forwarded argument list over the cap is not even sent.
        SingleInstance second;
        QCOMPARE(second.forward({QString(SingleInstance::MaxMessage, u'x')}, 500), Result::TooLong);
    }

    void recoversWhenOutOfFileDescriptors()
    {
        SingleInstance primary;
        QCOMPARE(primary.claim(), SingleInstance::Role::Primary);
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
        QCOMPARE(later.claim(), SingleInstance::Role::Secondary);
        QCOMPARE(forwardFromThread(later, {u"vesk://connect"_qs}), Result::Delivered);
        QCOMPARE(received.count(), 2);
    }

    void leftoversInPlaceOfTheSocketDoNotBlockTheNextInstance_data()
    {
        QTest::addColumn<bool>("folder");
        QTest::newRow("file of a killed instance") << false;
        QTest::newRow("folder with content") << true;
    }

    void leftoversInPlaceOfTheSocketDoNotBlockTheNextInstance()
    {
        QFETCH(bool, folder);
        {
            SingleInstance crashed;
            QCOMPARE(crashed.claim(), SingleInstance::Role::Primary);
        }
        if (folder) {
            QVERIFY(QDir().mkpath(SingleInstance::socketPath() + u"/inside"_qs));
        } else {
            QVERIFY(QDir().mkpath(SingleInstance::folder()));
            QFile stale(SingleInstance::socketPath());
            QVERIFY(stale.open(QIODevice::WriteOnly));
        }
        SingleInstance second;
        QCOMPARE(second.forward({u"--toggle"_qs}, 300), Result::NoInstance);
        QCOMPARE(second.claim(), SingleInstance::Role::Primary);
        QVERIFY(second.listen());
        SingleInstance third;
        QCOMPARE(third.claim(), SingleInstance::Role::Secondary);
        QCOMPARE(forwardFromThread(third, {u"--toggle"_qs}), Result::Delivered);
    }

    void noSharingWithoutARuntimeFolder_data()
    {
        QTest::addColumn<bool>("symlink");
        QTest::newRow("XDG_RUNTIME_DIR unset") << false;
        QTest::newRow("folder is a symbolic link") << true;
    }

    void noSharingWithoutARuntimeFolder()
    {
        QFETCH(bool, symlink);
        if (symlink) {
            QTemporaryDir elsewhere;
            QVERIFY(QFile::link(elsewhere.path(), SingleInstance::folder()));
        } else {
            qunsetenv("XDG_RUNTIME_DIR");
            QVERIFY(SingleInstance::socketPath().isEmpty());
        }
        SingleInstance instance;
        QCOMPARE(instance.claim(), SingleInstance::Role::Unavailable);
        QVERIFY(!instance.listen());
        QCOMPARE(instance.forward({u"--toggle"_qs}, 200), Result::NoInstance);
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
