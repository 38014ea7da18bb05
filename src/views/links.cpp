#include "views/links.h"

using namespace Qt::Literals::StringLiterals;

namespace {

QString joinedEmails(const Meeting &m)
{
    QStringList emails;
    emails.reserve(m.people.size());
    for (const Person &person : m.people)
        emails.append(person.email);
    return emails.join(u',');
}

} // namespace

QUrl Links::joinUrl(const Meeting &m)
{
    if (!m.joinUrl || m.joinUrl->isEmpty())
        return {};
    const QUrl url(*m.joinUrl, QUrl::StrictMode);
    return url.isValid() ? url : QUrl();
}

bool Links::offersJoin(const Meeting &m, const QDateTime &now)
{
    return !joinUrl(m).isEmpty() && now < m.endsAt;
}

QUrl Links::mailto(const Meeting &m)
{
    const QUrl url(u"mailto:"_s + joinedEmails(m), QUrl::StrictMode);
    return url.isValid() ? url : QUrl();
}

QUrl Links::draftMailUrl(const Meeting &m, const QString &subject, const QString &body)
{
    // Every character outside the unreserved set is percent-encoded, so "&", "=", "+" and line
    // breaks in the draft reach the mail client as written.
    const QByteArray query =
        "subject=" + QUrl::toPercentEncoding(subject) + "&body=" + QUrl::toPercentEncoding(body);
    QUrl url;
    url.setScheme(u"mailto"_s);
    url.setPath(joinedEmails(m), QUrl::StrictMode);
    url.setQuery(QString::fromLatin1(query), QUrl::StrictMode);
    return url.isValid() ? url : QUrl();
}

QString Links::draftText(const QString &subject, const QString &body)
{
    return u"Subject: "_s + subject + u"\n\n"_s + body;
}
