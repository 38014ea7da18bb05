#include "model/timeformat.h"

#include <QLocale>
#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

QString shortTime(const QDateTime &instant)
{
    const QLocale locale;
    QString format = locale.timeFormat(QLocale::ShortFormat);
    // Seconds (and anything finer) go together with the separator before them: "HH:mm:ss" becomes
    // "HH:mm", "h.mm.ss AP" becomes "h.mm AP".
    static const QRegularExpression seconds(u"[^\\w\\s']?(s{1,2}|z{1,3})"_s);
    format.remove(seconds);
    if (!format.contains(u'm') || !(format.contains(u'h') || format.contains(u'H')))
        format = u"HH:mm"_s;
    return locale.toString(instant.toLocalTime().time(), format);
}
