#include "platform/desktopurlopener.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

/// Where the stand-in xdg-open records its arguments, one per line.
QString g_log;

QStringList recorded()
{
    QFile file(g_log);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

/// The desktop hands addresses to xdg-open on a plain X session; a stand-in placed first on PATH
/// records what it receives.
class TestUrlOpener : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void opensWithTheDesktopHandler_data()
    {
        QTest::addColumn<QUrl>("url");
        QTest::newRow("encoded path and fragment") << QUrl(u"https://vesk.example/m/a%20b#top"_s);
        QTest::newRow("mail") << QUrl(u"mailto:ada@acme.example?subject=Follow%20up"_s);
    }

    void opensWithTheDesktopHandler()
    {
        QFETCH(QUrl, url);
        const qsizetype before = recorded().size();
        DesktopUrlOpener().open(url);
        QTRY_COMPARE(recorded().size(), before + 1);
        QCOMPARE(recorded().constLast(), QString::fromUtf8(url.toEncoded()));
    }
};

int main(int argc, char **argv)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    g_log = dir.filePath(u"argv.log"_s);
    const QString script = dir.filePath(u"xdg-open"_s);
    QFile file(script);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> '" + QFile::encodeName(g_log) +
               "'; done\n");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("PATH", QFile::encodeName(dir.path()) + ':' + qgetenv("PATH"));

    QGuiApplication app(argc, argv);
    TestUrlOpener test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_urlopener_x11.moc"
