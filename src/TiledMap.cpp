#include "TiledMap.h"

#include "TiledJsonReader.h"

#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

namespace zelk
{

bool TiledMap::loadFromFile(const std::filesystem::path& path, OnFailure onFailure)
{
    clear();
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found)
        return fail(path, "the file does not exist");
    if (error)
        return fail(path, "cannot access the file: " + error.message());
    if (!std::filesystem::is_regular_file(status))
        return fail(path, "is not a regular file");
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error)
        return fail(path, "cannot read the file size: " + error.message());
    if (size > MaxFileBytes)
        return fail(path, "the file is " + std::to_string(size) + " bytes, more than the " +
                              std::to_string(MaxFileBytes) + " bytes a map may have");

    std::ifstream input(path, std::ios::binary);
    if (!input)
        return fail(path, "cannot open the file for reading");
    std::ostringstream content;
    content << input.rdbuf();
    if (input.bad())
        return fail(path, "reading the file failed");
    return loadFromString(content.str(), path, onFailure);
}

bool TiledMap::loadFromString(const std::string& json, const std::filesystem::path& nameForMessages,
                              OnFailure onFailure)
{
    clear();
    TiledJsonReader reader;
    const bool read = reader.read(json);
    if (!read && (onFailure == OnFailure::Clear || !reader.failedOnlyOnUnsupported()))
        return fail(nameForMessages, reader.getReasons());
    m_width = reader.getWidth();
    m_height = reader.getHeight();
    m_tileWidth = reader.getTileWidth();
    m_tileHeight = reader.getTileHeight();
    m_tilesets = reader.takeTilesets();
    m_layers = reader.takeLayers();
    if (!read)
        setReasons(nameForMessages, reader.getReasons());
    return read;
}

const std::string& TiledMap::getError() const
{
    return m_error;
}

const std::vector<std::string>& TiledMap::getReasons() const
{
    return m_reasons;
}

int TiledMap::getWidth() const
{
    return m_width;
}

int TiledMap::getHeight() const
{
    return m_height;
}

int TiledMap::getTileWidth() const
{
    return m_tileWidth;
}

int TiledMap::getTileHeight() const
{
    return m_tileHeight;
}

const std::vector<TiledTileset>& TiledMap::getTilesets() const
{
    return m_tilesets;
}

const std::vector<TiledLayer>& TiledMap::getLayers() const
{
    return m_layers;
}

void TiledMap::clear()
{
    m_error.clear();
    m_reasons.clear();
    m_width = m_height = m_tileWidth = m_tileHeight = 0;
    m_tilesets.clear();
    m_layers.clear();
}

bool TiledMap::fail(const std::filesystem::path& source, const std::string& reason)
{
    return fail(source, std::vector<std::string>{reason});
}

bool TiledMap::fail(const std::filesystem::path& source, const std::vector<std::string>& reasons)
{
    clear();
    setReasons(source, reasons);
    return false;
}

void TiledMap::setReasons(const std::filesystem::path& source, const std::vector<std::string>& reasons)
{
    // A reason may quote bytes from a broken file; each message must stay on one line.
    const auto oneLine = [](std::string text) {
        for (char& character : text)
        {
            if (static_cast<unsigned char>(character) < 0x20 || character == 0x7f)
                character = ' ';
        }
        return text;
    };
    m_reasons.clear();
    for (const std::string& reason : reasons)
        m_reasons.push_back(oneLine(reason));
    std::ostringstream line;
    line << source << ": " << (reasons.empty() ? std::string() : reasons.front());
    m_error = oneLine(line.str());
}

} // namespace zelk
