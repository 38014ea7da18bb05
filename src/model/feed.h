#pragma once

#include "model/meeting.h"

#include <QJsonObject>
#include <QList>

/// The reply body of the day request: the meetings of one day, in service order.
struct Feed
{
    QList<Meeting> meetings;

    QJsonObject toJson() const;
    friend bool operator==(const Feed &, const Feed &) = default;
};
