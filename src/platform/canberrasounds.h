#pragma once

#include "platform/sounds.h"

struct ca_context;

/// Confirmation sounds through libcanberra, played by freedesktop sound-theme event id. The context
/// (with the sound driver it loads) is made on the first sound, not at start-up, and then lives as
/// long as the adapter. Playing returns at once and is silent when there is no sound device, no
/// sound server or no theme.
class CanberraSounds : public Sounds
{
public:
    CanberraSounds() = default;
    ~CanberraSounds() override;
    CanberraSounds(const CanberraSounds &) = delete;
    CanberraSounds &operator=(const CanberraSounds &) = delete;

    void play(Sound sound) override;

    /// The sound-theme event id a sound plays.
    static const char *eventId(Sound sound);

private:
    bool ensureContext();

    bool m_tried = false;
    ca_context *m_context = nullptr;
};
