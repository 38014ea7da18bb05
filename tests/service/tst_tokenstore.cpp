#include "service/tokenstore.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// Restores the process umask when a test ends.
struct UmaskGuard
{
    explicit UmaskGuard(mode_t mask)
        : old(::umask(mask))
    {}
    ~UmaskGuard() { ::umask(old); }
    mode_t old;
};

} // namespace

class TestTokenStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void trimsWhatItReads_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected"); // null: no token
        QTest::newRow("line end") << QByteArray("vesk_abc\n") << u"vesk_abc"_s;
        QTest::newRow("blanks and CRLF") << QByteArray("  vesk_abc \r\n") << u"vesk_abc"_s;
        QTest::newRow("unicode blanks") << QByteArray("\xe2\x80\x83vesk_abc\xc2\xa0") << u"vesk_abc"_s;
        QTest::newRow("only white space") << QByteArray(" \n\t\n") << QString();
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("not UTF-8") << QByteArray("vesk_\xff\xfe") << QString();
        // A control character inside the token would end up inside the request header.
        QTest::newRow("CR LF inside") << QByteArray("vesk_a\r\nX-Injected: 1") << QString();
        QTest::newRow("NUL inside") << QByteArray("vesk_a\0b", 8) << QString();
        QTest::newRow("DEL inside") << QByteArray("vesk_a\x7f") << QString();
        QTest::newRow("just under the size limit")
            << QByteArray("vesk_") + QByteArray(TokenStore::kMaxFileBytes - 5, 'a')
            << u"vesk_"_s + QString(TokenStore::kMaxFileBytes - 5, u'a');
        QTest::newRow("over the size limit")
            << QByteArray("vesk_") + QByteArray(TokenStore::kMaxFileBytes, 'a') << QString();
    }

    void trimsWhatItReads()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        TempXdg xdg;
        writeFile(xdg.tokenPath(), content);
        const std::optional<QString> token = TokenStore().load();
        if (expected.isNull())
            QVERIFY(!token);
        else
            QCOMPARE(token, std::optional<QString>(expected));
    }

    void readsOnlyRegularFiles()
    {
        // Nothing at the token's place blocks or floods the reader: a FIFO without a writer, a link
        // to an endless device. A link to a regular file is followed.
        TempXdg xdg;
        TokenStore tokens;
        QVERIFY(tokens.save(u"vesk_first"_s)); // makes the folder
        QFile::remove(xdg.tokenPath());
        QCOMPARE(::mkfifo(QFile::encodeName(xdg.tokenPath()).constData(), 0600), 0);
        QVERIFY(!TokenStore().load());

        QFile::remove(xdg.tokenPath());
        QVERIFY(QFile::link(u"/dev/zero"_s, xdg.tokenPath()));
        QVERIFY(!TokenStore().load());

        QFile::remove(xdg.tokenPath());
        writeFile(xdg.dataHome() + u"/elsewhere"_s, "vesk_linked\n");
        QVERIFY(QFile::link(xdg.dataHome() + u"/elsewhere"_s, xdg.tokenPath()));
        QCOMPARE(TokenStore().load(), std::optional<QString>(u"vesk_linked"_s));
    }

    void refusesTokensWithControlCharacters()
    {
        TempXdg xdg;
        TokenStore tokens;
        QVERIFY(tokens.save(u"vesk_good"_s));
        for (const QString &bad : {u"vesk_a\r\nX-Injected: 1"_s, u"vesk_a\u0000b"_s, u"vesk_\u0085"_s}) {
            QVERIFY(!TokenStore::isUsable(bad));
            QVERIFY(!tokens.save(bad));
            QCOMPARE(readFile(xdg.tokenPath()), QByteArray("vesk_good"));
            QCOMPARE(tokens.load(), std::optional<QString>(u"vesk_good"_s));
        }
        QVERIFY(TokenStore::isUsable(u"vesk_ünï"_s));
    }

    void cachesUntilNextSave()
    {
        TempXdg xdg;
        TokenStore tokens;
        QVERIFY(tokens.save(u"vesk_one"_s));
        QCOMPARE(tokens.load(), std::optional<QString>(u"vesk_one"_s));

        // Another process changes or removes the file: this one still reports its cached token.
        writeFile(xdg.tokenPath(), "vesk_two");
        QCOMPARE(tokens.load(), std::optional<QString>(u"vesk_one"_s));
        QFile::remove(xdg.tokenPath());
        QCOMPARE(tokens.load(), std::optional<QString>(u"vesk_one"_s));

        // An absent token is cached as well.
        QVERIFY(tokens.save(std::nullopt));
        QVERIFY(!tokens.load());
        writeFile(xdg.tokenPath(), "vesk_three");
        QVERIFY(!tokens.load());

        // The next save reads the disk again: the result is what was written, not what was passed.
        QVERIFY(tokens.save(u" vesk_four"_s));
        QCOMPARE(readFile(xdg.tokenPath()), QByteArray(" vesk_four")); // written unchanged, no line end
        QCOMPARE(tokens.load(), std::optional<QString>(u"vesk_four"_s));
    }

    void emptyRemoves()
    {
        TempXdg xdg;
        TokenStore tokens;
        QVERIFY(tokens.save(u"vesk_x"_s));
        QVERIFY(QFile::exists(xdg.tokenPath()));
        QVERIFY(tokens.save(QString()));
        QVERIFY(!QFile::exists(xdg.tokenPath()));
        QVERIFY(!tokens.load());
        QVERIFY(tokens.save(std::nullopt)); // removing nothing is silent
        QVERIFY(!tokens.load());
    }

    void modes()
    {
        TempXdg xdg;
        UmaskGuard mask(022);
        TokenStore().save(u"vesk_mode"_s);
        QCOMPARE(fileMode(xdg.dataHome() + u"/Vesk"_s), 0700);
        QCOMPARE(fileMode(xdg.tokenPath()), 0600);
        QVERIFY(!TokenStore::file().isEmpty()); // file() never creates the file itself
    }

    void existingFolderModeIsKept()
    {
        TempXdg xdg;
        QDir().mkpath(xdg.dataHome() + u"/Vesk"_s);
        ::chmod(QFile::encodeName(xdg.dataHome() + u"/Vesk"_s).constData(), 0750);
        TokenStore().save(u"vesk_keep"_s);
        QCOMPARE(fileMode(xdg.dataHome() + u"/Vesk"_s), 0750);
    }

    void neverReadableByOthers()
    {
        // Even with an open umask and an older world-readable file, the new file is private.
        TempXdg xdg;
        UmaskGuard mask(0);
        writeFile(xdg.tokenPath(), "vesk_old");
        ::chmod(QFile::encodeName(xdg.tokenPath()).constData(), 0644);
        QVERIFY(TokenStore().save(u"vesk_new"_s));
        QCOMPARE(fileMode(xdg.tokenPath()), 0600);
        QCOMPARE(readFile(xdg.tokenPath()), QByteArray("vesk_new"));
        // No temporary file is left behind.
        QCOMPARE(QDir(xdg.dataHome() + u"/Vesk"_s).entryList(QDir::Files), QStringList{u"token"_s});
    }

    void failedWriteKeepsPreviousToken()
    {
        TempXdg xdg;
        TokenStore tokens;
        QVERIFY(tokens.save(u"vesk_previous"_s));

        // Limit the size of files this process may write, so the next write fails half way.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        ::getrlimit(RLIMIT_FSIZE, &old);
        rlimit limited = old;
        limited.rlim_cur = 8;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limited), 0);
        const bool saved = tokens.save(u"vesk_this_token_is_longer_than_eight_bytes"_s);
        ::setrlimit(RLIMIT_FSIZE, &old);

        QVERIFY(!saved);
        QCOMPARE(readFile(xdg.tokenPath()), QByteArray("vesk_previous"));
        QCOMPARE(tokens.load(), std::optional<QString>(u"vesk_previous"_s));
        QCOMPARE(QDir(xdg.dataHome() + u"/Vesk"_s).entryList(QDir::Files), QStringList{u"token"_s});
    }
};

QTEST_GUILESS_MAIN(TestTokenStore)
#include "tst_tokenstore.moc"
