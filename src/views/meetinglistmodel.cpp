#include "views/meetinglistmodel.h"

#include <QSet>

using namespace Qt::StringLiterals;

MeetingListModel::MeetingListModel(QObject *parent)
    : QAbstractListModel(parent)
{}

void MeetingListModel::setMeetings(const QList<Meeting> &meetings)
{
    if (meetings == m_meetings)
        return;
    m_meetings = meetings;
    apply(rowsOf(m_meetings, m_later));
    Q_EMIT meetingsChanged();
}

void MeetingListModel::setLaterMeetings(const QList<Meeting> &meetings)
{
    if (meetings == m_later)
        return;
    m_later = meetings;
    apply(rowsOf(m_meetings, m_later));
    Q_EMIT laterMeetingsChanged();
}

QList<MeetingListModel::Entry> MeetingListModel::rowsOf(const QList<Meeting> &meetings,
                                                        const QList<Meeting> &later)
{
    QList<Entry> rows;
    rows.reserve(meetings.size() + later.size());
    for (const Meeting &meeting : meetings)
        rows.append({meeting, false});
    for (const Meeting &meeting : later)
        rows.append({meeting, true});
    return rows;
}

void MeetingListModel::apply(const QList<Entry> &meetings)
{
    QSet<QString> wanted;
    for (const Entry &meeting : meetings)
        wanted.insert(meeting.meeting.id);
    bool keepsAny = false;
    for (const Entry &meeting : std::as_const(m_rows))
        keepsAny = keepsAny || wanted.contains(meeting.meeting.id);

    // A first fill, or a list with no meeting in common: one reset instead of a row at a time.
    if (!keepsAny) {
        beginResetModel();
        m_rows = meetings;
        endResetModel();
        return;
    }

    // Rows whose meeting is gone, a run of neighbours at a time.
    for (int row = int(m_rows.size()) - 1; row >= 0; --row) {
        if (wanted.contains(m_rows.at(row).meeting.id))
            continue;
        int first = row;
        while (first > 0 && !wanted.contains(m_rows.at(first - 1).meeting.id))
            --first;
        beginRemoveRows({}, first, row);
        m_rows.remove(first, row - first + 1);
        endRemoveRows();
        row = first;
    }

    // Walk the new order: keep, move up or insert each meeting at its place; new neighbours go
    // in together. A kept meeting that did not change is not touched.
    int changedFirst = -1;
    int changedLast = -1;
    const auto flushChanged = [&] {
        if (changedFirst >= 0)
            Q_EMIT dataChanged(index(changedFirst), index(changedLast), {MeetingRole, SectionRole});
        changedFirst = changedLast = -1;
    };
    for (int target = 0; target < meetings.size(); ++target) {
        const Entry &meeting = meetings.at(target);
        int found = -1;
        for (int row = target; row < m_rows.size(); ++row) {
            if (m_rows.at(row).meeting.id == meeting.meeting.id) {
                found = row;
                break;
            }
        }
        if (found < 0) {
            flushChanged();
            // This one and the following meetings not listed yet.
            int last = target;
            const auto listedFrom = [&](int from, const QString &id) {
                for (int row = from; row < m_rows.size(); ++row) {
                    if (m_rows.at(row).meeting.id == id)
                        return true;
                }
                return false;
            };
            while (last + 1 < meetings.size() && !listedFrom(target, meetings.at(last + 1).meeting.id))
                ++last;
            beginInsertRows({}, target, last);
            for (int i = target; i <= last; ++i)
                m_rows.insert(i, meetings.at(i));
            endInsertRows();
            target = last;
            continue;
        }
        if (found != target) {
            flushChanged();
            beginMoveRows({}, found, found, {}, target);
            m_rows.move(found, target);
            endMoveRows();
        }
        if (!(m_rows.at(target) == meeting)) {
            m_rows[target] = meeting;
            if (changedFirst < 0)
                changedFirst = target;
            else if (changedLast != target - 1)
                flushChanged(), changedFirst = target;
            changedLast = target;
        }
    }
    flushChanged();

    // Left-overs, such as a second meeting under an id already placed.
    if (m_rows.size() > meetings.size()) {
        beginRemoveRows({}, int(meetings.size()), int(m_rows.size()) - 1);
        m_rows.resize(meetings.size());
        endRemoveRows();
    }
}

int MeetingListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant MeetingListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Entry &entry = m_rows.at(index.row());
    switch (role) {
    case MeetingRole:
        return QVariant::fromValue(entry.meeting);
    case IdRole:
        return entry.meeting.id;
    case SectionRole:
        return entry.later ? u"later"_s : QString();
    default:
        return {};
    }
}

QHash<int, QByteArray> MeetingListModel::roleNames() const
{
    return {{MeetingRole, "meeting"}, {IdRole, "meetingId"}, {SectionRole, "section"}};
}
