#include "platform/qsettingsstore.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

class TestSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Each store looks the folder up afresh, and a write reaches the file at once: a process that
    // ends next loses nothing.
    void writesReachTheFileAtOnce()
    {
        TempXdg xdg;
        const QString path = xdg.configHome() + u"/Vesk/Vesk.conf"_s;
        QSettingsStore settings;
        QCOMPARE(settings.fileName(), path);
        settings.setValue(u"pendingConnectState"_s, u"ABCDEF0123"_s);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("pendingConnectState=ABCDEF0123"));
        settings.remove(u"pendingConnectState"_s);
        QVERIFY(!QSettingsStore().value(u"pendingConnectState"_s).isValid());
    }

    // A FIFO would block the reader forever, a huge file would fill memory: neither is read, it is
    // set aside, the settings start empty and the next write makes a proper file.
    void somethingElseInPlaceOfTheFileIsSetAside()
    {
        TempXdg xdg;
        const QString path = xdg.configHome() + u"/Vesk/Vesk.conf"_s;
        QDir().mkpath(xdg.configHome() + u"/Vesk"_s);
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        {
            QSettingsStore settings;
            QVERIFY(!settings.value(u"didSetLoginDefault"_s).isValid());
            settings.setValue(u"didSetLoginDefault"_s, true);
        }
        QVERIFY(QFileInfo(path).isFile());
        QVERIFY(QSettingsStore().value(u"didSetLoginDefault"_s).toBool());

        QFile::remove(path + u".unusable"_s);
        QFile big(path);
        QVERIFY(big.open(QIODevice::Append));
        big.write(QByteArray(QSettingsStore::kMaxFileBytes, '#'));
        big.close();
        QVERIFY(!QSettingsStore().value(u"didSetLoginDefault"_s).isValid());
        QVERIFY(QFileInfo::exists(path + u".unusable"_s));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
