#include "model/feed.h"

#include <QJsonArray>

QJsonObject Feed::toJson() const
{
    QJsonArray list;
    for (const Meeting &meeting : meetings)
        list.append(meeting.toJson());
    return QJsonObject{{QStringLiteral("meetings"), list}};
}
