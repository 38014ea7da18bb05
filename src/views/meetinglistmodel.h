#pragma once

#include "model/meeting.h"

#include <QAbstractListModel>
#include <QList>
#include <QtQml/qqmlregistration.h>

/// A list of meetings keyed by id for the panel's rows. Setting a new list updates, moves, inserts
/// and removes rows in place, so the row of a meeting that is still listed is kept across reloads.
class MeetingListModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QList<Meeting> meetings READ meetings WRITE setMeetings NOTIFY meetingsChanged)
    Q_PROPERTY(int count READ count NOTIFY meetingsChanged)

public:
    enum Role
    {
        MeetingRole = Qt::UserRole + 1,
        IdRole
    };

    explicit MeetingListModel(QObject *parent = nullptr);

    const QList<Meeting> &meetings() const { return m_meetings; }
    void setMeetings(const QList<Meeting> &meetings);
    int count() const { return int(m_meetings.size()); }

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

Q_SIGNALS:
    void meetingsChanged();

private:
    QList<Meeting> m_meetings;
};
