#include "views/meetinglistmodel.h"

#include <QSet>

MeetingListModel::MeetingListModel(QObject *parent)
    : QAbstractListModel(parent)
{}

void MeetingListModel::setMeetings(const QList<Meeting> &meetings)
{
    if (meetings == m_meetings)
        return;

    QSet<QString> wanted;
    for (const Meeting &meeting : meetings)
        wanted.insert(meeting.id);

    // Rows whose meeting is gone.
    for (int row = int(m_meetings.size()) - 1; row >= 0; --row) {
        if (!wanted.contains(m_meetings.at(row).id)) {
            beginRemoveRows({}, row, row);
            m_meetings.removeAt(row);
            endRemoveRows();
        }
    }

    // Walk the new order: keep, move up or insert each meeting at its place.
    for (int target = 0; target < meetings.size(); ++target) {
        const Meeting &meeting = meetings.at(target);
        int found = -1;
        for (int row = target; row < m_meetings.size(); ++row) {
            if (m_meetings.at(row).id == meeting.id) {
                found = row;
                break;
            }
        }
        if (found < 0) {
            beginInsertRows({}, target, target);
            m_meetings.insert(target, meeting);
            endInsertRows();
            continue;
        }
        if (found != target) {
            beginMoveRows({}, found, found, {}, target);
            m_meetings.move(found, target);
            endMoveRows();
        }
        if (!(m_meetings.at(target) == meeting)) {
            m_meetings[target] = meeting;
            const QModelIndex changed = index(target);
            Q_EMIT dataChanged(changed, changed, {MeetingRole});
        }
    }

    // Left-overs, such as a second meeting under an id already placed.
    if (m_meetings.size() > meetings.size()) {
        beginRemoveRows({}, int(meetings.size()), int(m_meetings.size()) - 1);
        m_meetings.resize(meetings.size());
        endRemoveRows();
    }
    Q_EMIT meetingsChanged();
}

int MeetingListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_meetings.size());
}

QVariant MeetingListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Meeting &meeting = m_meetings.at(index.row());
    switch (role) {
    case MeetingRole:
        return QVariant::fromValue(meeting);
    case IdRole:
        return meeting.id;
    default:
        return {};
    }
}

QHash<int, QByteArray> MeetingListModel::roleNames() const
{
    return {{MeetingRole, "meeting"}, {IdRole, "meetingId"}};
}
