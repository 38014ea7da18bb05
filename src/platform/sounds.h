#pragma once

/// Short confirmation sounds. Never blocks; silent when no sound is available.
class Sounds
{
public:
    enum class Sound
    {
        Copied,   ///< "Pop" after a copy
        Created,  ///< "Pop" after a created event
        SignedIn, ///< "Glass" after the browser sign-in
    };

    virtual ~Sounds() = default;
    virtual void play(Sound sound) = 0;
};
