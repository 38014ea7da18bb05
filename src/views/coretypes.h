#pragma once

// The application's records, Store and palette as the QML module "Vesk" names them. They live in
// the application's core library, which does not link Qt QML; the module registers them from
// here when it loads.

#include "model/composed.h"
#include "model/meeting.h"
#include "model/person.h"
#include "model/personhit.h"
#include "model/qadraft.h"
#include "state/store.h"
#include "views/palette.h"

#include <QtQml/qqmlregistration.h>

struct ForeignMeeting
{
    Q_GADGET
    QML_FOREIGN(Meeting)
    QML_VALUE_TYPE(meeting)
};

struct ForeignPerson
{
    Q_GADGET
    QML_FOREIGN(Person)
    QML_VALUE_TYPE(person)
};

struct ForeignComposed
{
    Q_GADGET
    QML_FOREIGN(Composed)
    QML_VALUE_TYPE(composed)
};

struct ForeignPersonHit
{
    Q_GADGET
    QML_FOREIGN(PersonHit)
    QML_VALUE_TYPE(personHit)
};

struct ForeignQAPerson
{
    Q_GADGET
    QML_FOREIGN(QAPerson)
    QML_VALUE_TYPE(qaPerson)
};

struct ForeignQADraft
{
    Q_GADGET
    QML_FOREIGN(QADraft)
    QML_VALUE_TYPE(qaDraft)
};

struct ForeignStore
{
    Q_GADGET
    QML_FOREIGN(Store)
    QML_NAMED_ELEMENT(Store)
    QML_UNCREATABLE("Owned by the application")
};

struct ForeignPal
{
    Q_GADGET
    QML_FOREIGN(Pal)
    QML_NAMED_ELEMENT(Pal)
    QML_SINGLETON
};
