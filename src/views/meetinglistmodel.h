#pragma once

#include "model/meeting.h"

#include <QAbstractListModel>
#include <QList>
#include <QtQml/qqmlregistration.h>

/// A list of meetings keyed by id for the panel's rows. Setting a new list updates, moves, inserts
/// and removes rows in place, so the row of a meeting that is still listed is kept across reloads.
/// `laterMeetings` follow `meetings` in the same list, in the section named "later" (the panel's
/// tomorrow-morning rows), so one view makes rows only for what it shows.
class MeetingListModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QList<Meeting> meetings READ meetings WRITE setMeetings NOTIFY meetingsChanged)
    Q_PROPERTY(
        QList<Meeting> laterMeetings READ laterMeetings WRITE setLaterMeetings NOTIFY laterMeetingsChanged)
    /// The number of `meetings`, without the later ones.
    Q_PROPERTY(int count READ count NOTIFY meetingsChanged)

public:
    enum Role
    {
        MeetingRole = Qt::UserRole + 1,
        IdRole,
        SectionRole
    };

    explicit MeetingListModel(QObject *parent = nullptr);

    const QList<Meeting> &meetings() const { return m_meetings; }
    void setMeetings(const QList<Meeting> &meetings);
    const QList<Meeting> &laterMeetings() const { return m_later; }
    void setLaterMeetings(const QList<Meeting> &meetings);
    int count() const { return int(m_meetings.size()); }

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

Q_SIGNALS:
    void meetingsChanged();
    void laterMeetingsChanged();

private:
    struct Entry
    {
        Meeting meeting;
        bool later = false;
        bool operator==(const Entry &) const = default;
    };
    static QList<Entry> rowsOf(const QList<Meeting> &meetings, const QList<Meeting> &later);
    void apply(const QList<Entry> &rows);

    QList<Meeting> m_meetings;
    QList<Meeting> m_later;
    QList<Entry> m_rows;
};
