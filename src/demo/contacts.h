#pragma once

#include <QList>
#include <QString>

/// One person of the demo account's address book.
struct Contact
{
    QString name;
    QString email;
    QString company;

    QString firstName() const { return name.section(u' ', 0, 0); }
};

namespace Contacts {

/// The demo account's address book: about thirty people at a dozen companies.
const QList<Contact> &all();

/// Contacts whose name, address or company contains `text` (case-insensitive), at most `limit`.
QList<Contact> search(const QString &text, qsizetype limit = 8);

/// The contacts a name written in a sentence may mean: an exact address, a full name, or a first
/// name or the start of one. More than one result means the name is ambiguous.
QList<Contact> resolve(const QString &query);

/// The contact with this address, if there is one.
const Contact *byEmail(const QString &email);

} // namespace Contacts
