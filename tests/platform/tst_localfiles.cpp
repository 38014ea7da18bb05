#include "platform/autostart.h"
#include "platform/qsettingsstore.h"
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
using Status = LoginItem::Status;

namespace {

QString entryPath(const TempXdg &xdg)
{
    return xdg.configHome() + u"/autostart/vesk-bar.desktop"_s;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
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

/// The files of the desktop the program reads and writes: its autostart entry and its settings.
class TestLocalFiles : public QObject
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

    // Registering writes a valid entry that starts this program, in place of whatever was there (a
    // FIFO, which the reader never blocks on); unregistering removes only ours. A file where the
    // folder belongs makes registering fail.
    void autostartRegisterAndUnregister()
    {
        TempXdg xdg;
        const QString other = xdg.configHome() + u"/autostart/other.desktop"_s;
        writeFile(other, "[Desktop Entry]\nType=Application\nExec=other\n");
        XdgAutostart autostart;
        QCOMPARE(autostart.status(), Status::NotRegistered);
        QCOMPARE(::mkfifo(QFile::encodeName(entryPath(xdg)).constData(), 0600), 0);
        QCOMPARE(autostart.status(), Status::NotFound);
        QVERIFY(autostart.registerItem());
        QCOMPARE(autostart.status(), Status::Enabled);
        const QByteArray text = readFile(entryPath(xdg));
        const QString exec = XdgAutostart::execLine(QCoreApplication::applicationFilePath());
        QVERIFY2(text.startsWith("[Desktop Entry]\n") && text.split('\n').contains("Exec=" + exec.toUtf8()),
                 text.constData());
        QCOMPARE(QDir(xdg.configHome() + u"/autostart"_s).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{u"other.desktop"_s, u"vesk-bar.desktop"_s})); // no temporary file left
        const QString validator = QStandardPaths::findExecutable(u"desktop-file-validate"_s);
        if (!validator.isEmpty()) {
            QProcess process;
            process.start(validator, {entryPath(xdg)});
            QVERIFY(process.waitForFinished());
            QCOMPARE(process.readAllStandardOutput(), QByteArray()); // no errors, no hints
            QCOMPARE(process.exitCode(), 0);
        }
        QVERIFY(autostart.unregisterItem());
        QCOMPARE(autostart.status(), Status::NotRegistered);
        QVERIFY(QFile::exists(other));
        QVERIFY(autostart.unregisterItem()); // nothing to remove is no failure

        TempXdg blocked;
        writeFile(blocked.configHome() + u"/autostart"_s, "a file where the folder belongs");
        QVERIFY(!XdgAutostart().registerItem());
        QVERIFY(XdgAutostart().status() != Status::Enabled);
    }

    void autostartStatusReadsTheFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<Status>("status");
        const QByteArray head =
            "[Desktop Entry]\nType=Application\nName=Vesk Bar\nExec=vesk-bar --autostart\n";
        QTest::newRow("plain entry") << head << Status::Enabled;
        QTest::newRow("Hidden=true") << head + "Hidden=true\n" << Status::RequiresApproval;
        QTest::newRow("GNOME disabled") << head + "X-GNOME-Autostart-enabled=false\n"
                                        << Status::RequiresApproval;
        QTest::newRow("other group's Hidden") << head + "\n[Desktop Action x]\nHidden=true\n"
                                              << Status::Enabled;
        // An entry must name a program that exists and will start.
        const QByteArray build = "[Desktop Entry]\nType=Application\nExec=\"" +
                                 QFile::encodeName(m_build).replace("My Build", "My\\sBuild") +
                                 "\" --autostart\n";
        QTest::newRow("quoted path with an escaped blank") << build << Status::Enabled;
        QTest::newRow("program gone")
            << QByteArray(build).replace("My\\sBuild", "Removed") << Status::NotFound;
        QTest::newRow("program not executable")
            << XdgAutostart::entry(makeProgram(m_programs.path() + u"/plain/vesk-bar"_s, false))
            << Status::NotFound;
        QTest::newRow("name not on the PATH")
            << QByteArray(head).replace("vesk-bar --", "vesk-bar-gone --") << Status::NotFound;
        QTest::newRow("over the size limit")
            << head + QByteArray(XdgAutostart::kMaxEntryBytes, '#') << Status::NotFound;
    }

    void autostartStatusReadsTheFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(Status, status);
        TempXdg xdg;
        writeFile(entryPath(xdg), content);
        QCOMPARE(XdgAutostart().status(), status);
    }

    void installedProgramTakesOurEntryOver_data()
    {
        QTest::addColumn<QString>("self");     // the program of the process that starts
        QTest::addColumn<QByteArray>("entry"); // what the user's autostart folder holds
        QTest::addColumn<bool>("takenOver");
        const QByteArray build = XdgAutostart::entry(m_build);
        const QByteArray gone = XdgAutostart::entry(m_programs.path() + u"/Removed/vesk-bar"_s);
        QTest::newRow("a build's entry") << m_installed << build << true;
        QTest::newRow("an entry whose program is gone") << m_installed << gone << true;
        QTest::newRow("ours by name")
            << m_installed << "[Desktop Entry]\nExec=vesk-bar --autostart\n"_ba << false;
        // A copy that is not the installed one never takes the entry from another.
        QTest::newRow("from a build, program gone") << m_build << gone << false;
        // The user's choices stay.
        QTest::newRow("disabled") << m_installed << build + "Hidden=true\n" << false;
        QTest::newRow("other arguments")
            << m_installed << QByteArray(build).replace("--autostart", "--autostart --verbose") << false;
    }

    void installedProgramTakesOurEntryOver()
    {
        QFETCH(QString, self);
        QFETCH(QByteArray, entry);
        QFETCH(bool, takenOver);
        TempXdg xdg;
        writeFile(xdg.dataHome() + u"/applications/vesk-bar.desktop"_s,
                  "[Desktop Entry]\nType=Application\nName=Vesk\nExec=\"" + QFile::encodeName(m_installed) +
                      "\" %u\n");
        writeFile(entryPath(xdg), entry);
        XdgAutostart autostart({}, self);
        QCOMPARE(autostart.takeOver(), takenOver);
        QCOMPARE(readFile(entryPath(xdg)), takenOver ? XdgAutostart::entry(self) : entry);
    }

    // What is written reads back as the same program, whatever its path holds. Inside quotes the
    // characters " $ and backslash take a backslash, which the value's escaping then doubles; % is doubled.
    void execLineReadsBack()
    {
        const QString tricky = uR"(/opt/My "100%" $x\y/vesk-bar)"_s;
        QCOMPARE(XdgAutostart::execLine(tricky),
                 uR"("/opt/My \\"100%%\\" \\$x\\\\y/vesk-bar" --autostart)"_s);
        for (const QString &program : {u"/usr/bin/vesk-bar"_s, tricky}) {
            const XdgAutostart::Command command = XdgAutostart::parseExec(XdgAutostart::execLine(program));
            QCOMPARE(command.program, program);
            QCOMPARE(command.arguments, u"--autostart"_s);
        }
    }

    // A FIFO would block the reader forever, a huge file would fill memory: neither is read, it is
    // set aside, the settings start empty and the next write, which reaches the file at once, makes
    // a proper file.
    void settingsFileThatIsSomethingElseIsSetAside()
    {
        TempXdg xdg;
        const QString path = xdg.configHome() + u"/Vesk/Vesk.conf"_s;
        QDir().mkpath(xdg.configHome() + u"/Vesk"_s);
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        QSettingsStore settings;
        QCOMPARE(settings.fileName(), path);
        QVERIFY(!settings.value(u"didSetLoginDefault"_s).isValid());
        settings.setValue(u"didSetLoginDefault"_s, true);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.readAll().contains("didSetLoginDefault=true"));
        QVERIFY(QSettingsStore().value(u"didSetLoginDefault"_s).toBool());

        QFile::remove(path + u".unusable"_s);
        file.write(QByteArray(QSettingsStore::kMaxFileBytes, '#')); // after what it holds
        file.close();
        QVERIFY(!QSettingsStore().value(u"didSetLoginDefault"_s).isValid());
        QVERIFY(QFileInfo::exists(path + u".unusable"_s));
    }
};

QTEST_GUILESS_MAIN(TestLocalFiles)
#include "tst_localfiles.moc"
