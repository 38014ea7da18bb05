#include "platform/qtclipboard.h"

#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

/// Reads the clipboard in one target through xclip, a separate X client, while this process keeps
/// serving the selection from its event loop.
QByteArray readClipboard(const QString &target)
{
    QProcess xclip;
    xclip.start(u"xclip"_s, {u"-selection"_s, u"clipboard"_s, u"-o"_s, u"-t"_s, target});
    QSignalSpy finished(&xclip, &QProcess::finished);
    if (!finished.wait(10000))
        return "<xclip did not finish>";
    return xclip.readAllStandardOutput();
}

const QString kText = u"Open times (30 min):\n• Wed 5 Mar 10:00 Ünïcödé"_s;
const QString kHtml = u"<p>Open times (30 min):</p><ul><li>Wed 5 Mar 10:00 Ünïcödé</li></ul>"_s;

} // namespace

class TestClipboardX11 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(u"xclip"_s).isEmpty())
            QSKIP("xclip is not installed");
        QCOMPARE(QGuiApplication::platformName(), u"xcb"_s);
    }

    void oneEntryWithBothFormatsThenPlainTextAlone()
    {
        QtClipboard clipboard;
        clipboard.setContent(kText, kHtml);
        QVERIFY(readClipboard(u"TARGETS"_s).contains("text/html"));
        QCOMPARE(QString::fromUtf8(readClipboard(u"text/html"_s)), kHtml);
        QCOMPARE(QString::fromUtf8(readClipboard(u"text/plain"_s)), kText);
        QCOMPARE(QString::fromUtf8(readClipboard(u"UTF8_STRING"_s)), kText);

        // Plain text replaces the whole earlier entry, its HTML included.
        clipboard.setContent(u"Just text"_s, QString());
        const QByteArray targets = readClipboard(u"TARGETS"_s);
        QVERIFY2(!targets.contains("text/html"), targets.constData());
        QCOMPARE(readClipboard(u"text/plain"_s), QByteArray("Just text"));
    }
};

QTEST_MAIN(TestClipboardX11)
#include "tst_clipboard_x11.moc"
