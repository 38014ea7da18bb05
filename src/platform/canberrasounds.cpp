#include "platform/canberrasounds.h"

#include <canberra.h>

CanberraSounds::~CanberraSounds()
{
    if (m_context)
        ca_context_destroy(m_context);
}

bool CanberraSounds::ensureContext()
{
    if (m_tried)
        return m_context != nullptr;
    m_tried = true;
    if (ca_context_create(&m_context) != CA_SUCCESS) {
        m_context = nullptr;
        return false;
    }
    ca_context_change_props(m_context, CA_PROP_APPLICATION_NAME, "Vesk", CA_PROP_APPLICATION_ID, "vesk-bar",
                            nullptr);
    // Opening may fail (no driver, no server); playing then fails quietly as well.
    ca_context_open(m_context);
    return true;
}

const char *CanberraSounds::eventId(Sound sound)
{
    switch (sound) {
    case Sound::Copied:
        return "complete-copy";
    case Sound::Created:
        return "complete";
    case Sound::SignedIn:
        return "service-login";
    }
    return "complete";
}

void CanberraSounds::play(Sound sound)
{
    if (!ensureContext())
        return;
    const char *id = eventId(sound);
    // ca_context_play hands the sound to the driver's own thread and returns at once.
    ca_context_play(m_context, 0, CA_PROP_EVENT_ID, id, CA_PROP_EVENT_DESCRIPTION, id,
                    CA_PROP_CANBERRA_CACHE_CONTROL, "volatile", nullptr);
}
