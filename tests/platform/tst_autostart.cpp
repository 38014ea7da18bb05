#include "platform/autostart.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
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

// A program that would start: an executable file.
QString makeProgram(const QString &path, bool executable = true)
{
    writeFile(path, "#!/bin/sh\nexit 0\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner |
                                    (executable ? QFile::ExeOwner : QFile::Permissions()));
    return path;
}

} // namespace

class TestAutostart : public QObject
{
    Q_OBJECT

    QTemporaryDir m_programs;
    QString m_installed; ///< the vesk-bar the installed launcher entry starts (and on the PATH)
    QString m_build;     ///< another copy, in a build folder

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_programs.isValid());
        m_installed = makeProgram(m_programs.path() + u"/bin/vesk-bar"_s);
        m_build = makeProgram(m_programs.path() + u"/My Build/src/vesk-bar"_s);
        qputenv("PATH", QFile::encodeName(m_programs.path() + u"/bin:"_s) + qgetenv("PATH"));
    }

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
        // An entry must name a program that exists and will start.
        const QByteArray build = "[Desktop Entry]\nType=Application\nExec=\"" +
                                 QFile::encodeName(m_build).replace("My Build", "My\\sBuild") +
                                 "\" --autostart\n";
        QTest::newRow("quoted path with an escaped blank") << build << LoginItem::Status::Enabled;
        QTest::newRow("program gone")
            << QByteArray(build).replace("My\\sBuild", "Removed") << LoginItem::Status::NotFound;
        QTest::newRow("program not executable")
            << XdgAutostart::entry(makeProgram(m_programs.path() + u"/plain/vesk-bar"_s, false))
            << LoginItem::Status::NotFound;
        QTest::newRow("name not on the PATH")
            << QByteArray(head).replace("vesk-bar --", "vesk-bar-gone --") << LoginItem::Status::NotFound;
        QTest::newRow("no Exec") << QByteArray("[Desktop Entry]\nType=Application\n")
                                 << LoginItem::Status::NotFound;
        QTest::newRow("over the size limit")
            << head + QByteArray(XdgAutostart::kMaxEntryBytes, '#') << LoginItem::Status::NotFound;
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

    void somethingElseInTheWay()
    {
        // A FIFO in place of the entry never blocks the reader; registering puts a proper entry there.
        TempXdg xdg;
        QDir().mkpath(QFileInfo(entryPath(xdg)).path());
        QCOMPARE(::mkfifo(QFile::encodeName(entryPath(xdg)).constData(), 0600), 0);
        XdgAutostart autostart;
        QCOMPARE(autostart.status(), LoginItem::Status::NotFound);
        QVERIFY(autostart.registerItem());
        QCOMPARE(autostart.status(), LoginItem::Status::Enabled);

        // A file where the folder belongs: registering fails.
        TempXdg blocked;
        writeFile(blocked.configHome() + u"/autostart"_s, "a file where the folder belongs");
        XdgAutostart other;
        QVERIFY(!other.registerItem());
        QVERIFY(other.status() != LoginItem::Status::Enabled);
    }

    void installedProgramTakesOurEntryOver_data()
    {
        QTest::addColumn<QString>("self");     // the program of the process that starts
        QTest::addColumn<QByteArray>("entry"); // what the user's autostart folder holds
        QTest::addColumn<bool>("takenOver");
        QTest::addColumn<bool>("launcher"); // the launcher entry is installed
        const QByteArray gone = XdgAutostart::entry(m_programs.path() + u"/Removed/vesk-bar"_s);
        QTest::newRow("a build's entry") << m_installed << XdgAutostart::entry(m_build) << true << true;
        QTest::newRow("an entry whose program is gone") << m_installed << gone << true << true;
        QTest::newRow("ours already") << m_installed << XdgAutostart::entry(m_installed) << false << true;
        QTest::newRow("ours by name")
            << m_installed << QByteArray("[Desktop Entry]\nExec=vesk-bar --autostart\n") << false << true;
        // A copy that is not the installed one never takes the entry from another.
        QTest::newRow("from a build") << m_build << XdgAutostart::entry(m_installed) << false << true;
        QTest::newRow("from a build, program gone") << m_build << gone << false << true;
        // The user's choices stay.
        QTest::newRow("disabled") << m_installed << XdgAutostart::entry(m_build) + "Hidden=true\n"
                                  << false << true;
        QTest::newRow("other arguments")
            << m_installed << XdgAutostart::entry(m_build).replace("--autostart", "--autostart --verbose")
            << false << true;
        QTest::newRow("no launcher installed")
            << m_installed << XdgAutostart::entry(m_build) << false << false;
        QTest::newRow("another program")
            << m_installed << XdgAutostart::entry(makeProgram(m_programs.path() + u"/bin/wrapper"_s)) << false
            << true;
    }

    void installedProgramTakesOurEntryOver()
    {
        QFETCH(QString, self);
        QFETCH(QByteArray, entry);
        QFETCH(bool, takenOver);
        QFETCH(bool, launcher);
        TempXdg xdg;
        if (launcher) {
            writeFile(xdg.dataHome() + u"/applications/vesk-bar.desktop"_s,
                      "[Desktop Entry]\nType=Application\nName=Vesk\nExec=\"" +
                          QFile::encodeName(m_installed) + "\" %u\n");
        }
        writeFile(entryPath(xdg), entry);
        XdgAutostart autostart({}, self);
        QCOMPARE(autostart.takeOver(), takenOver);
        QCOMPARE(readFile(entryPath(xdg)), takenOver ? XdgAutostart::entry(self) : entry);
        if (takenOver)
            QCOMPARE(autostart.status(), LoginItem::Status::Enabled);
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
        // What is written reads back as the same program.
        const XdgAutostart::Command command = XdgAutostart::parseExec(exec);
        QCOMPARE(command.program, program);
        QCOMPARE(command.arguments, u"--autostart"_s);
    }
};

QTEST_GUILESS_MAIN(TestAutostart)

#include "tst_autostart.moc"
