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
    bool keepsAny = false;
    for (const Meeting &meeting : std::as_const(m_meetings))
        keepsAny = keepsAny || wanted.contains(meeting.id);

    // A first fill, or a list with no meeting in common: one reset instead of a row at a time.
    if (!keepsAny) {
        beginResetModel();
        m_meetings = meetings;
        endResetModel();
        Q_EMIT meetingsChanged();
        return;
    }

    // Rows whose meeting is gone, a run of neighbours at a time.
    for (int row = int(m_meetings.size()) - 1; row >= 0; --row) {
        if (wanted.contains(m_meetings.at(row).id))
            continue;
        int first = row;
        while (first > 0 && !wanted.contains(m_meetings.at(first - 1).id))
            --first;
        beginRemoveRows({}, first, row);
        m_meetings.remove(first, row - first + 1);
        endRemoveRows();
        row = first;
    }

    // Walk the new order: keep, move up or insert each meeting at its place; new neighbours go
    // in together. A kept meeting that did not change is not touched.
    int changedFirst = -1;
    int changedLast = -1;
    const auto flushChanged = [&] {
        if (changedFirst >= 0)
            Q_EMIT dataChanged(index(changedFirst), index(changedLast), {MeetingRole});
        changedFirst = changedLast = -1;
    };
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
            flushChanged();
            // This one and the following meetings not listed yet.
            int last = target;
            const auto listedFrom = [&](int from, const QString &id) {
                for (int row = from; row < m_meetings.size(); ++row) {
                    if (m_meetings.at(row).id == id)
                        return true;
                }
                return false;
            };
            while (last + 1 < meetings.size() && !listedFrom(target, meetings.at(last + 1).id))
                ++last;
            beginInsertRows({}, target, last);
            for (int i = target; i <= last; ++i)
                m_meetings.insert(i, meetings.at(i));
            endInsertRows();
            target = last;
            continue;
        }
        if (found != target) {
            flushChanged();
            beginMoveRows({}, found, found, {}, target);
            m_meetings.move(found, target);
            endMoveRows();
        }
        if (!(m_meetings.at(target) == meeting)) {
            m_meetings[target] = meeting;
            if (changedFirst < 0)
                changedFirst = target;
            else if (changedLast != target - 1)
                flushChanged(), changedFirst = target;
            changedLast = target;
        }
    }
    flushChanged();

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
