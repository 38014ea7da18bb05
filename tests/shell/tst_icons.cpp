#include "views/ghostimage.h"

#include <QPainter>
#include <QSvgRenderer>
#include <QTest>

namespace {

QString dataFile(const char *name)
{
    return QStringLiteral(QUICK_TEST_SOURCE_DIR "/../../data/icons/") + QString::fromLatin1(name);
}

// Share of pixels whose coverage (alpha) differs by more than a quarter.
double mismatch(const QImage &a, const QImage &b)
{
    int differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (std::abs(qAlpha(a.pixel(x, y)) - qAlpha(b.pixel(x, y))) > 64)
                ++differing;
        }
    }
    return double(differing) / (a.width() * a.height());
}

} // namespace

/// The installed status icon is a drawing of the same mark the application paints.
class TestIcons : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void symbolicIconIsTheMark()
    {
        QSvgRenderer svg(dataFile("vesk-bar-symbolic.svg"));
        QVERIFY(svg.isValid());
        QCOMPARE(svg.defaultSize(), QSize(16, 16));
        // 96 pixels high: the mark is 80 wide, centred in the square.
        QImage rendered(96, 96, QImage::Format_ARGB32_Premultiplied);
        rendered.fill(Qt::transparent);
        {
            QPainter painter(&rendered);
            svg.render(&painter);
        }
        QImage painted(96, 96, QImage::Format_ARGB32_Premultiplied);
        painted.fill(Qt::transparent);
        {
            QPainter painter(&painted);
            painter.drawImage(8, 0, ghostImage(96));
        }
        QVERIFY2(mismatch(rendered, painted) < 0.01,
                 qPrintable(QString::number(mismatch(rendered, painted))));
        // The eyes are holes.
        QCOMPARE(qAlpha(rendered.pixel(8 + 28, 36)), 0);
        QVERIFY(qAlpha(rendered.pixel(48, 60)) > 200);
    }
};

QTEST_MAIN(TestIcons)
#include "tst_icons.moc"
