#include "AssetCache.h"

#include <SFML/Graphics/Image.hpp>

#include <filesystem>
#include <iterator>
#include <system_error>
#include <unordered_map>

namespace zelk
{

namespace
{

// What the file looked like when it was loaded: a different size or time means it was replaced.
struct FileStamp
{
    std::filesystem::file_time_type writeTime{};
    std::uintmax_t size = 0;

    bool operator==(const FileStamp& other) const { return writeTime == other.writeTime && size == other.size; }
};

FileStamp stampOf(const std::string& path)
{
    std::error_code error;
    FileStamp stamp;
    stamp.writeTime = std::filesystem::last_write_time(path, error);
    stamp.size = std::filesystem::file_size(path, error);
    return stamp;
}

template <typename Asset>
struct Entry
{
    std::weak_ptr<const Asset> asset;
    FileStamp stamp;
};

template <typename Asset>
using Entries = std::unordered_map<std::string, Entry<Asset>>;

Entries<sf::Texture>& textureEntries()
{
    static Entries<sf::Texture> entries;
    return entries;
}

Entries<sf::SoundBuffer>& soundBufferEntries()
{
    static Entries<sf::SoundBuffer> entries;
    return entries;
}

// An entry whose asset is gone only costs memory: the next request loads the file again anyway.
// The file names come from the map, so without this a long session of map edits (or the map fuzzer)
// would keep one entry, with the block that held its texture or sound, for every name it ever saw.
template <typename Asset>
void forgetUnused(Entries<Asset>& entries)
{
    for (auto entry = entries.begin(); entry != entries.end();)
        entry = entry->second.asset.expired() ? entries.erase(entry) : std::next(entry);
}

// The cached asset under key if it is still in use and its file unchanged; otherwise load() makes
// a new one, which is remembered only when it loaded.
template <typename Asset, typename Load>
std::shared_ptr<const Asset> findOrLoad(Entries<Asset>& entries, const std::string& key, const std::string& path,
                                        Load load)
{
    const FileStamp stamp = stampOf(path);
    const auto found = entries.find(key);
    if (found != entries.end() && found->second.stamp == stamp)
    {
        if (auto asset = found->second.asset.lock())
            return asset;
    }
    forgetUnused(entries);
    std::shared_ptr<const Asset> asset = load();
    if (asset)
        entries[key] = {asset, stamp};
    else
        entries.erase(key);
    return asset;
}

std::shared_ptr<const sf::Texture> loadTexture(const std::string& path, bool maskBlack)
{
    auto texture = std::make_shared<sf::Texture>();
    if (!maskBlack)
        return texture->loadFromFile(path) ? texture : nullptr;
    sf::Image image;
    if (!image.loadFromFile(path))
        return nullptr;
    image.createMaskFromColor(sf::Color::Black, 0);
    return texture->loadFromImage(image) ? texture : nullptr;
}

} // namespace

std::shared_ptr<const sf::Texture> AssetCache::getTexture(const std::string& path, bool maskBlack)
{
    // The masked and the plain picture of one file are different textures.
    const std::string key = (maskBlack ? "masked:" : "plain:") + path;
    return findOrLoad(textureEntries(), key, path, [&] { return loadTexture(path, maskBlack); });
}

std::shared_ptr<const sf::SoundBuffer> AssetCache::getSoundBuffer(const std::string& path)
{
    return findOrLoad(soundBufferEntries(), path, path, [&]() -> std::shared_ptr<const sf::SoundBuffer> {
        auto buffer = std::make_shared<sf::SoundBuffer>();
        return buffer->loadFromFile(path) ? buffer : nullptr;
    });
}

std::size_t AssetCache::getEntryCount()
{
    return textureEntries().size() + soundBufferEntries().size();
}

} // namespace zelk
