#include "platform/autostart.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

Q_DECLARE_METATYPE(LoginItem::Status)

namespace {

QString entryPath(const TempXdg &xdg)
{
    return xdg.configHome() + u"/autostart/vesk-bar.desktop"_s;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(path.section(u'/', 0, -2));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestAutostart : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void registerWritesAValidEntry()
    {
        TempXdg xdg;
        XdgAutostart autostart;
        QCOMPARE(autostart.status(), LoginItem::Status::NotRegistered);
        QVERIFY(autostart.registerItem());
        QCOMPARE(autostart.status(), LoginItem::Status::Enabled);
        const QByteArray text = readFile(entryPath(xdg));
        QVERIFY(text.startsWith("[Desktop Entry]\n"));
        const QList<QByteArray> lines = text.split('\n');
        const QByteArray exec =
            "Exec=" + XdgAutostart::execLine(QCoreApplication::applicationFilePath()).toUtf8();
        QVERIFY2(lines.contains(exec), text.constData());
        QVERIFY(exec.endsWith(" --autostart"));
        // Written in place of a temporary file: nothing else is left in the folder.
        QCOMPARE(QDir(xdg.configHome() + u"/autostart"_s).entryList(QDir::Files | QDir::Hidden),
                 QStringList{u"vesk-bar.desktop"_s});

        const QString validator = QStandardPaths::findExecutable(u"desktop-file-validate"_s);
        if (validator.isEmpty())
            QSKIP("desktop-file-validate is not installed");
        QProcess process;
        process.start(validator, {entryPath(xdg)});
        QVERIFY(process.waitForFinished());
        QCOMPARE(process.readAllStandardOutput(), QByteArray()); // no errors, no hints
        QCOMPARE(process.exitCode(), 0);
    }

    void statusReadsTheFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<LoginItem::Status>("status");
        const QByteArray head =
            "[Desktop Entry]\nType=Application\nName=Vesk Bar\nExec=vesk-bar --autostart\n";
        QTest::newRow("plain entry") << head << LoginItem::Status::Enabled;
        QTest::newRow("Hidden=true") << head + "Hidden=true\n" << LoginItem::Status::RequiresApproval;
        QTest::newRow("GNOME disabled") << head + "X-GNOME-Autostart-enabled=false\n"
                                        << LoginItem::Status::RequiresApproval;
        QTest::newRow("blanks around =") << head + "Hidden = true\n" << LoginItem::Status::RequiresApproval;
        QTest::newRow("other group's Hidden") << head + "\n[Desktop Action x]\nHidden=true\n"
                                              << LoginItem::Status::Enabled;
        QTest::newRow("over the size limit")
            << head + QByteArray(XdgAutostart::kMaxEntryBytes, '#') << LoginItem::Status::NotFound;
    }

    void statusNeverBlocksOnAFifo()
    {
        TempXdg xdg;
        QDir().mkpath(QFileInfo(entryPath(xdg)).path());
        QCOMPARE(::mkfifo(QFile::encodeName(entryPath(xdg)).constData(), 0600), 0);
        QCOMPARE(XdgAutostart().status(), LoginItem::Status::NotFound);
        // Registering puts a proper entry in its place.
        XdgAutostart autostart;
        QVERIFY(autostart.registerItem());
        QCOMPARE(autostart.status(), LoginItem::Status::Enabled);
    }

    void statusReadsTheFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(LoginItem::Status, status);
        TempXdg xdg;
        writeFile(entryPath(xdg), content);
        QCOMPARE(XdgAutostart().status(), status);
    }

    void registerReplacesADisabledEntryAndUnregisterRemovesOnlyOurs()
    {
        TempXdg xdg;
        writeFile(entryPath(xdg), "[Desktop Entry]\nType=Application\nExec=old\nHidden=true\n");
        const QString other = xdg.configHome() + u"/autostart/other.desktop"_s;
        writeFile(other, "[Desktop Entry]\nType=Application\nExec=other\n");
        XdgAutostart autostart;
        QVERIFY(autostart.registerItem());
        QCOMPARE(autostart.status(), LoginItem::Status::Enabled);
        QVERIFY(!readFile(entryPath(xdg)).contains("Hidden"));

        QVERIFY(autostart.unregisterItem());
        QVERIFY(!QFile::exists(entryPath(xdg)));
        QVERIFY(QFile::exists(other));
        QCOMPARE(autostart.status(), LoginItem::Status::NotRegistered);
        QVERIFY(autostart.unregisterItem()); // nothing to remove is not a failure
    }

    void registerFailsWhenTheFolderCannotBeMade()
    {
        TempXdg xdg;
        writeFile(xdg.configHome() + u"/autostart"_s, "a file where the folder belongs");
        XdgAutostart autostart;
        QVERIFY(!autostart.registerItem());
        QVERIFY(autostart.status() != LoginItem::Status::Enabled);
    }

    void execLine_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("exec");
        QTest::newRow("plain") << u"/usr/bin/vesk-bar"_s << u"/usr/bin/vesk-bar --autostart"_s;
        QTest::newRow("blank") << u"/opt/My Apps/vesk-bar"_s << u"\"/opt/My Apps/vesk-bar\" --autostart"_s;
        // Inside quotes " and $ take a backslash, which the value escaping then doubles.
        QTest::newRow("quote and dollar") << u"/tmp/a\"b$c"_s << u"\"/tmp/a\\\\\"b\\\\$c\" --autostart"_s;
        QTest::newRow("percent") << u"/tmp/100%/vesk-bar"_s << u"/tmp/100%%/vesk-bar --autostart"_s;
    }

    void execLine()
    {
        QFETCH(QString, program);
        QFETCH(QString, exec);
        QCOMPARE(XdgAutostart::execLine(program), exec);
    }
};

QTEST_GUILESS_MAIN(TestAutostart)

#include "tst_autostart.moc"
