#include "platform/qtclipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

void QtClipboard::setContent(const QString &text, const QString &html)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return;
    // Clearing first drops every format of the previous entry, an earlier HTML part included.
    clipboard->clear(QClipboard::Clipboard);
    auto *data = new QMimeData;
    if (!html.isNull())
        data->setHtml(html);
    data->setText(text);
    clipboard->setMimeData(data, QClipboard::Clipboard); // takes ownership
}
