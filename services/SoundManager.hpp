#pragma once
// Fire-and-forget sound effects: each call starts a new sound on a buffer of the asset manager
// and keeps it alive until a later sweep finds it finished.

#include <SFML/Audio/Sound.hpp>

#include <memory>
#include <string>
#include <vector>

class SoundManager
{
public:
    // OpenAL Soft gives out 256 sources by default and fails every sound past that with an
    // error line; staying well below keeps a large defence quiet of errors.
    static constexpr std::size_t MaxPlaying = 128;

    static SoundManager& instance();

    // Whether OpenAL opens its default output device; asked once at start, before any sound
    // exists. Without one, SFML's sounds would each print OpenAL errors and play nothing.
    static bool AudioDeviceOpens();

    // Starts the buffer under key at volume (100 is full; more is passed on). A key without a
    // buffer plays nothing; while MaxPlaying sounds are held, a new one is skipped; a silent
    // manager plays nothing at all.
    void PlaySound(const std::string& key, float volume);
    // Drops every sound that is no longer playing, keeping the order of the rest.
    void RemoveStoppedSounds();
    // Drops every sound, playing or not.
    void Reset() { *this = SoundManager(); }

    std::vector<std::shared_ptr<sf::Sound>> playing;
    // Set at start when there is no audio device: no sound is loaded or played.
    bool silent = false;

private:
    SoundManager() = default;
};
