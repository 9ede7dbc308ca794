#include "SoundEffect.h"

#include "AssetCache.h"

namespace zelk
{

bool SoundEffect::load(const std::string& path, float volume, float pitch)
{
    m_buffer = AssetCache::getSoundBuffer(path);
    if (m_buffer)
        m_sound.setBuffer(*m_buffer);
    m_sound.setVolume(volume);
    m_sound.setPitch(pitch);
    return m_buffer != nullptr;
}

void SoundEffect::playUnlessPlaying()
{
    if (!isPlaying())
        m_sound.play();
}

} // namespace zelk
