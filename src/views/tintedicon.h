#pragma once

#include <QColor>
#include <QQuickPaintedItem>
#include <QString>
#include <QtQml/qqmlregistration.h>

/// One of the bundled symbolic icons, drawn at the item's size and recoloured to `color`.
class TintedIcon : public QQuickPaintedItem
{
    Q_OBJECT
    QML_ELEMENT
    /// The symbol's name, e.g. "chevron.left"; the file is the same name under views/icons.
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY nameChanged)
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY colorChanged)

public:
    explicit TintedIcon(QQuickItem *parent = nullptr);

    QString name() const { return m_name; }
    void setName(const QString &name);
    QColor color() const { return m_color; }
    void setColor(const QColor &color);

    void paint(QPainter *painter) override;

    /// Whether a bundled icon of that name exists.
    static bool exists(const QString &name);
    /// The icon rendered into a transparent image of `size` device pixels, filled with `color`.
    static QImage render(const QString &name, QSize size, const QColor &color);

Q_SIGNALS:
    void nameChanged();
    void colorChanged();

private:
    QString m_name;
    QColor m_color = QColor(Qt::white);
};
