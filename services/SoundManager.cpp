#include "services/SoundManager.hpp"

#include "services/AssetManager.hpp"

#include <AL/alc.h>
#include <algorithm>

SoundManager& SoundManager::instance()
{
    static SoundManager manager;
    return manager;
}

bool SoundManager::AudioDeviceOpens()
{
    ALCdevice* const device = alcOpenDevice(nullptr);
    if (!device)
        return false;
    alcCloseDevice(device);
    return true;
}

void SoundManager::PlaySound(const std::string& key, float volume)
{
    if (silent)
        return;
    const auto buffer = AssetManager::instance().GetSoundBuffer(key);
    if (!buffer || playing.size() >= MaxPlaying)
        return;
    auto sound = std::make_shared<sf::Sound>();
    sound->setBuffer(*buffer);
    sound->setVolume(volume);
    sound->play();
    playing.push_back(std::move(sound));
}

void SoundManager::RemoveStoppedSounds()
{
    std::erase_if(playing, [](const std::shared_ptr<sf::Sound>& sound)
                  { return sound->getStatus() != sf::SoundSource::Playing; });
}
