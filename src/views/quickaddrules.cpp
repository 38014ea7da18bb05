#include "views/quickaddrules.h"

using namespace Qt::Literals::StringLiterals;

QString QuickAddRules::draftTimeLine(const QADraft &draft)
{
    if (!draft.when)
        return {};
    return *draft.when + u" \u00B7 "_s + QString::number(draft.durationMin) + u" min"_s;
}

QString QuickAddRules::mainLabel(const QADraft &draft)
{
    if (!draft.when) {
        QString who = u"them"_s;
        if (!draft.people.isEmpty() && draft.people.first().name)
            who = draft.people.first().name->section(u' ', 0, 0);
        return u"Copy times for "_s + who;
    }
    return draft.people.isEmpty() ? u"Add to calendar"_s : u"Create & invite"_s;
}

bool QuickAddRules::mainEnabled(const QADraft &draft, bool busy)
{
    if (!draft.when)
        return true;
    if (busy)
        return false;
    for (const QAPerson &person : draft.people) {
        if (!person.email)
            return false;
    }
    return true;
}
