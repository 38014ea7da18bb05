#include "platform/canberrasounds.h"

#include <canberra.h>
#include <dlfcn.h>

namespace {

// The few libcanberra entry points used, looked up once the first sound plays.
struct Canberra
{
    decltype(&ca_context_create) create = nullptr;
    decltype(&ca_context_change_props) changeProps = nullptr;
    decltype(&ca_context_open) open = nullptr;
    decltype(&ca_context_play) play = nullptr;
    decltype(&ca_context_destroy) destroy = nullptr;

    static const Canberra *get()
    {
        static const Canberra loaded = load();
        return loaded.destroy ? &loaded : nullptr;
    }

private:
    static Canberra load()
    {
        Canberra c;
        void *library = ::dlopen("libcanberra.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!library)
            return c;
        c.create = reinterpret_cast<decltype(c.create)>(::dlsym(library, "ca_context_create"));
        c.changeProps =
            reinterpret_cast<decltype(c.changeProps)>(::dlsym(library, "ca_context_change_props"));
        c.open = reinterpret_cast<decltype(c.open)>(::dlsym(library, "ca_context_open"));
        c.play = reinterpret_cast<decltype(c.play)>(::dlsym(library, "ca_context_play"));
        c.destroy = reinterpret_cast<decltype(c.destroy)>(::dlsym(library, "ca_context_destroy"));
        if (!c.create || !c.changeProps || !c.open || !c.play || !c.destroy)
            c = Canberra{};
        return c;
    }
};

} // namespace

CanberraSounds::~CanberraSounds()
{
    if (m_context)
        Canberra::get()->destroy(m_context);
}

bool CanberraSounds::ensureContext()
{
    if (m_tried)
        return m_context != nullptr;
    m_tried = true;
    const Canberra *ca = Canberra::get();
    if (!ca) {
        m_lastResult = CA_ERROR_NOTAVAILABLE;
        return false;
    }
    m_lastResult = ca->create(&m_context);
    if (m_lastResult != CA_SUCCESS) {
        m_context = nullptr;
        return false;
    }
    ca->changeProps(m_context, CA_PROP_APPLICATION_NAME, "Vesk", CA_PROP_APPLICATION_ID, "vesk-bar", nullptr);
    // Opening may fail (no driver, no server); playing then fails quietly as well.
    m_lastResult = ca->open(m_context);
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
    m_lastResult = Canberra::get()->play(m_context, 0, CA_PROP_EVENT_ID, id, CA_PROP_EVENT_DESCRIPTION, id,
                                         CA_PROP_CANBERRA_CACHE_CONTROL, "volatile", nullptr);
}
