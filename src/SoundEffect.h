#pragma once
// A short sound a component plays: the decoded file, shared through the AssetCache with every other
// component playing it, and the sound that plays it with its own volume and pitch.

#include <SFML/Audio/Sound.hpp>
#include <SFML/Audio/SoundBuffer.hpp>

#include <memory>
#include <string>

namespace zelk
{

class SoundEffect
{
public:
    // A missing file leaves the effect silent (SFML reports the failed load itself); returns false then.
    bool load(const std::string& path, float volume = 100.f, float pitch = 1.f);
    // Starts the sound again from its beginning.
    void play() { m_sound.play(); }
    // Lets a sound that is still playing finish instead of cutting it off.
    void playUnlessPlaying();
    bool isPlaying() const { return m_sound.getStatus() == sf::Sound::Playing; }
    void setPitch(float pitch) { m_sound.setPitch(pitch); }

    /// For testing.
    const sf::Sound& getSound() const { return m_sound; }

private:
    // Declared before the sound, so the sound is destroyed first: SFML requires a sound never to
    // outlive the buffer it plays.
    std::shared_ptr<const sf::SoundBuffer> m_buffer;
    sf::Sound m_sound;
};

} // namespace zelk
