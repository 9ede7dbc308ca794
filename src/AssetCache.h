#pragma once
// Decoded images and sounds shared by every component that loads the same file. A match builds its
// item pools at once: without sharing, each of the 120 pooled rocks and bombs would decode and
// upload the same picture, and each bomb decode the same explosion, at every match entry.
//
// Entries are held weakly: a texture or sound buffer lives exactly as long as some component uses
// it, so nothing is kept past the match (and no graphics or audio resource outlives its library at
// process exit); the entries of files nobody uses any more are dropped at the next load. A file
// that changed on disk since it was loaded is loaded again. Main thread only.

#include <SFML/Audio/SoundBuffer.hpp>
#include <SFML/Graphics/Texture.hpp>

#include <cstddef>
#include <memory>
#include <string>

namespace zelk
{

class AssetCache
{
public:
    // The image at path as a texture; with maskBlack, pure black pixels become fully transparent.
    // Empty when the file cannot be loaded (SFML reports why); a failed load is not remembered.
    static std::shared_ptr<const sf::Texture> getTexture(const std::string& path, bool maskBlack);
    // The decoded sound at path; empty when it cannot be loaded (SFML reports why).
    static std::shared_ptr<const sf::SoundBuffer> getSoundBuffer(const std::string& path);

    // Files remembered, textures and sounds together: those in use, plus at most the ones given up
    // since the last load of their kind. For tests.
    static std::size_t getEntryCount();
};

} // namespace zelk
