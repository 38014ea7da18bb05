#include "platform/qsettingsstore.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writesReachTheFileAtOnce()
    {
        TempXdg xdg;
        const QString path = xdg.configHome() + u"/Vesk/Vesk.conf"_s;
        QSettingsStore settings;
        QCOMPARE(settings.fileName(), path);
        // A process that ends next loses nothing.
        settings.setValue(u"pendingConnectState"_s, u"ABCDEF0123"_s);
        QVERIFY(readFile(path).contains("pendingConnectState=ABCDEF0123"));
        settings.remove(u"pendingConnectState"_s);
        QVERIFY(!readFile(path).contains("pendingConnectState"));

        // Each store looks the folder up again, not once per process.
        TempXdg other;
        QCOMPARE(QSettingsStore().fileName(), other.configHome() + u"/Vesk/Vesk.conf"_s);
        QVERIFY(!QSettingsStore().value(u"didSetLoginDefault"_s).isValid());
    }

    void somethingElseInPlaceOfTheFileIsSetAside()
    {
        // A FIFO would block the reader forever, a huge file would fill memory: neither is read,
        // the settings start empty and the next write makes a proper file.
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
        QVERIFY(big.open(QIODevice::WriteOnly | QIODevice::Truncate));
        big.write("[General]\ndidSetLoginDefault=true\n");
        big.write(QByteArray(QSettingsStore::kMaxFileBytes, '#'));
        big.close();
        QVERIFY(!QSettingsStore().value(u"didSetLoginDefault"_s).isValid());
        QVERIFY(QFileInfo::exists(path + u".unusable"_s));
    }
};

QTEST_GUILESS_MAIN(TestSettings)

#include "tst_settings.moc"
