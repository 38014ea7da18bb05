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
using Token = std::optional<QString>;

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

QStringList filesIn(const TempXdg &xdg)
{
    return QDir(xdg.dataHome() + u"/Vesk"_s).entryList(QDir::Files | QDir::Hidden);
}

} // namespace

class TestTokenStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void trimsWhatItReads_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected"); // null: no token
        const QByteArray longest = "vesk_" + QByteArray(TokenStore::kMaxFileBytes - 5, 'a');
        QTest::newRow("blanks and CRLF") << "  vesk_abc \r\n"_ba << u"vesk_abc"_s;
        QTest::newRow("not UTF-8") << "vesk_\xff\xfe"_ba << QString();
        QTest::newRow("only white space") << " \n\t\n"_ba << QString();
        // A control character inside the token would end up inside the request header.
        QTest::newRow("CR LF inside") << "vesk_a\r\nX-Injected: 1"_ba << QString();
        QTest::newRow("NUL inside") << QByteArray("vesk_a\0b", 8) << QString();
        QTest::newRow("DEL inside") << "vesk_a\x7f"_ba << QString();
        QTest::newRow("just under the size limit") << longest << QString::fromLatin1(longest);
        QTest::newRow("over the size limit") << longest + "a" << QString();
    }

    void trimsWhatItReads()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        TempXdg xdg;
        writeFile(xdg.tokenPath(), content);
        QCOMPARE(TokenStore().load(), expected.isNull() ? Token() : Token(expected));
    }

    // Nothing at the token's place blocks or floods the reader: a FIFO without a writer, a link to
    // an endless device. A link to a regular file is followed.
    void readsOnlyRegularFiles()
    {
        TempXdg xdg;
        QVERIFY(TokenStore().save(u"vesk_first"_s)); // makes the folder
        QFile::remove(xdg.tokenPath());
        QCOMPARE(::mkfifo(QFile::encodeName(xdg.tokenPath()).constData(), 0600), 0);
        QCOMPARE(TokenStore().load(), Token());
        QFile::remove(xdg.tokenPath());
        QVERIFY(QFile::link(u"/dev/zero"_s, xdg.tokenPath()));
        QCOMPARE(TokenStore().load(), Token());
        QFile::remove(xdg.tokenPath());
        writeFile(xdg.dataHome() + u"/elsewhere"_s, "vesk_linked\n");
        QVERIFY(QFile::link(xdg.dataHome() + u"/elsewhere"_s, xdg.tokenPath()));
        QCOMPARE(TokenStore().load(), Token(u"vesk_linked"_s));
    }

    // A token is written as given and read back trimmed; one with a control character is never
    // written, and the stored one stays; saving nothing removes the file.
    void savesAsGivenOrRemoves()
    {
        TempXdg xdg;
        TokenStore tokens;
        QVERIFY(tokens.save(u" vesk_one"_s));
        for (const QString &bad : {u"vesk_a\r\nX-Injected: 1"_s, u"vesk_a\u0000b"_s, u"vesk_\u0085"_s})
            QVERIFY(!TokenStore::isUsable(bad) && !tokens.save(bad));
        QCOMPARE(readFile(xdg.tokenPath()), " vesk_one"_ba);
        QCOMPARE(tokens.load(), Token(u"vesk_one"_s));
        QVERIFY(TokenStore::isUsable(u"vesk_ünï"_s));
        QVERIFY(tokens.save(QString()));
        QVERIFY(!QFile::exists(xdg.tokenPath()));
        QCOMPARE(tokens.load(), Token());
        QVERIFY(tokens.save(std::nullopt)); // removing nothing is no failure
    }

    // A private file in a private folder, whatever the umask, replacing an older world-readable
    // file without leaving a temporary one.
    void modes()
    {
        TempXdg xdg;
        const mode_t oldMask = ::umask(0);
        const bool first = TokenStore().save(u"vesk_first"_s);
        ::chmod(QFile::encodeName(xdg.tokenPath()).constData(), 0644);
        const bool second = TokenStore().save(u"vesk_new"_s);
        ::umask(oldMask);
        QVERIFY(first && second);
        QCOMPARE(fileMode(xdg.dataHome() + u"/Vesk"_s), 0700);
        QCOMPARE(fileMode(xdg.tokenPath()), 0600);
        QCOMPARE(readFile(xdg.tokenPath()), "vesk_new"_ba);
        QCOMPARE(filesIn(xdg), QStringList{u"token"_s});
    }

    void failedWriteKeepsPreviousToken()
    {
        TempXdg xdg;
        TokenStore tokens;
        QVERIFY(tokens.save(u"vesk_previous"_s));
        // Files this process writes may now hold 8 bytes: the next write fails half way.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        ::getrlimit(RLIMIT_FSIZE, &old);
        rlimit limited = old;
        limited.rlim_cur = 8;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limited), 0);
        const bool saved = tokens.save(u"vesk_this_token_is_longer_than_eight_bytes"_s);
        ::setrlimit(RLIMIT_FSIZE, &old);
        QVERIFY(!saved);
        QCOMPARE(readFile(xdg.tokenPath()), "vesk_previous"_ba);
        QCOMPARE(tokens.load(), Token(u"vesk_previous"_s));
        QCOMPARE(filesIn(xdg), QStringList{u"token"_s});
    }
};

QTEST_GUILESS_MAIN(TestTokenStore)
#include "tst_tokenstore.moc"
