#include "demo/contacts.h"

namespace {

Contact contact(const char *name, const char *email, const char *company)
{
    return {QString::fromUtf8(name), QString::fromUtf8(email), QString::fromUtf8(company)};
}

} // namespace

const QList<Contact> &Contacts::all()
{
    static const QList<Contact> list = {
        contact("Nils Berg", "nils@northwind.example", "Northwind"),
        contact("Maya Lind", "maya.lind@fjordlabs.example", "Fjord Labs"),
        contact("Ivo Petrov", "ivo@kestrel.example", "Kestrel Capital"),
        contact("Rena Okoye", "rena@lumen.example", "Lumen Health"),
        contact("Sam Patel", "sam.patel@brightpath.example", "Brightpath"),
        contact("Sam Okafor", "sam@tallgrass.example", "Tallgrass"),
        contact("Clara Weiss", "clara.weiss@northwind.example", "Northwind"),
        contact("Jonas Meyer", "jonas@fjordlabs.example", "Fjord Labs"),
        contact("Priya Raman", "priya@lumen.example", "Lumen Health"),
        contact("Tomás Ruiz", "tomas.ruiz@orbit.example", "Orbit Freight"),
        contact("Hana Sato", "hana@kestrel.example", "Kestrel Capital"),
        contact("Elif Demir", "elif.demir@brightpath.example", "Brightpath"),
        contact("Lucas Moreau", "lucas@atelier.example", "Atelier Moreau"),
        contact("Ada Novak", "ada.novak@quarry.example", "Quarry Systems"),
        contact("Ben Carter", "ben@tallgrass.example", "Tallgrass"),
        contact("Freya Holm", "freya@fjordlabs.example", "Fjord Labs"),
        contact("Omar Haddad", "omar.haddad@orbit.example", "Orbit Freight"),
        contact("Lena Vogel", "lena.vogel@quarry.example", "Quarry Systems"),
        contact("Mateo Silva", "mateo@sundial.example", "Sundial Media"),
        contact("Nora Quinn", "nora.quinn@lumen.example", "Lumen Health"),
        contact("Kofi Mensah", "kofi@kestrel.example", "Kestrel Capital"),
        contact("Ines Costa", "ines.costa@sundial.example", "Sundial Media"),
        contact("Yuki Tanaka", "yuki@northwind.example", "Northwind"),
        contact("Paul Fischer", "paul.fischer@atelier.example", "Atelier Moreau"),
        contact("Zara Ahmed", "zara@brightpath.example", "Brightpath"),
        contact("Leo Brandt", "leo.brandt@orbit.example", "Orbit Freight"),
        contact("Mia Jensen", "mia.jensen@quarry.example", "Quarry Systems"),
        contact("Diego Alvarez", "diego@sundial.example", "Sundial Media"),
        contact("Greta Lund", "greta.lund@tallgrass.example", "Tallgrass"),
        contact("Arjun Mehta", "arjun@kestrel.example", "Kestrel Capital"),
    };
    return list;
}

QList<Contact> Contacts::search(const QString &text, qsizetype limit)
{
    const QString needle = text.trimmed();
    QList<Contact> hits;
    if (needle.isEmpty())
        return hits;
    for (const Contact &c : all()) {
        if (hits.size() >= limit)
            break;
        if (c.name.contains(needle, Qt::CaseInsensitive) || c.email.contains(needle, Qt::CaseInsensitive) ||
            c.company.contains(needle, Qt::CaseInsensitive))
            hits.append(c);
    }
    return hits;
}

QList<Contact> Contacts::resolve(const QString &query)
{
    const QString q = query.trimmed();
    QList<Contact> hits;
    if (q.isEmpty())
        return hits;
    if (const Contact *exact = byEmail(q))
        return {*exact};
    for (const Contact &c : all()) {
        if (c.name.compare(q, Qt::CaseInsensitive) == 0)
            return {c};
    }
    for (const Contact &c : all()) {
        if (c.firstName().startsWith(q, Qt::CaseInsensitive))
            hits.append(c);
    }
    return hits;
}

const Contact *Contacts::byEmail(const QString &email)
{
    for (const Contact &c : all()) {
        if (c.email.compare(email.trimmed(), Qt::CaseInsensitive) == 0)
            return &c;
    }
    return nullptr;
}
