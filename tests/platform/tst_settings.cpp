#include "platform/qsettingsstore.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <memory>

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
    void cleanup() { m_xdg.reset(); }

    void init()
    {
        m_xdg = std::make_unique<TempXdg>();
        m_file = m_xdg->configHome() + u"/Vesk/Vesk.conf"_s;
    }

    void readsTheFileOfAnEarlierRun()
    {
        QDir().mkpath(m_xdg->configHome() + u"/Vesk"_s);
        QFile file(m_file);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[General]\ndidSetLoginDefault=true\npendingConnectState=ABCDEF0123\n");
        file.close();

        QSettingsStore settings;
        QCOMPARE(settings.fileName(), m_file);
        QVERIFY(settings.value(u"didSetLoginDefault"_s).toBool());
        QCOMPARE(settings.value(u"pendingConnectState"_s).toString(), u"ABCDEF0123"_s);
        QVERIFY(!settings.value(u"absent"_s).isValid());
        QVERIFY(!settings.value(u"absent"_s).toBool());
    }

    void writesReachTheDiskAtOnce()
    {
        QSettingsStore settings;
        QCOMPARE(settings.fileName(), m_file);
        QVERIFY(!QFile::exists(m_file));
        settings.setValue(u"pendingConnectState"_s, u"0123456789ABCDEF0123456789ABCDEF01234567"_s);
        QVERIFY(readFile(m_file).contains("pendingConnectState=0123456789ABCDEF0123456789ABCDEF01234567"));
        settings.setValue(u"didSetLoginDefault"_s, false);
        QVERIFY(readFile(m_file).contains("didSetLoginDefault=false"));
        QVERIFY(!QSettingsStore().value(u"didSetLoginDefault"_s).toBool());

        settings.remove(u"pendingConnectState"_s);
        QVERIFY(!readFile(m_file).contains("pendingConnectState"));
        QVERIFY(!QSettingsStore().value(u"pendingConnectState"_s).isValid());
    }

private:
    std::unique_ptr<TempXdg> m_xdg;
    QString m_file;
};

QTEST_GUILESS_MAIN(TestSettings)

#include "tst_settings.moc"
