#include "state/appevents.h"

AppEvents &AppEvents::instance()
{
    static AppEvents events;
    return events;
}
