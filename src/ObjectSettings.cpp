#include "ObjectSettings.h"

#include "TiledObject.h"
#include "TiledProperty.h"

#include <SFML/System/Err.hpp>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <ostream>

namespace zelk
{

namespace
{

std::ostream& reportAbout(const TiledObject& object)
{
    return sf::err() << "Map object \"" << object.name << "\": ";
}

// A property of an unexpected type is skipped, so one typo in the editor costs one value, not the map.
bool hasType(const TiledObject& object, const TiledProperty& property, TiledPropertyType expected)
{
    if (property.type == expected)
        return true;
    reportAbout(object) << "property \"" << property.name << "\" is of type " << toString(property.type)
                        << ", expected " << toString(expected) << "; ignored" << std::endl;
    return false;
}

bool fitsInt(float value)
{
    return std::isfinite(value) && value >= -2147483648.0f && value < 2147483648.0f;
}

bool fitsInt(long value)
{
    return value >= std::numeric_limits<int>::min() && value <= std::numeric_limits<int>::max();
}

bool readInt(const TiledObject& object, const TiledProperty& property, int& value)
{
    if (!hasType(object, property, TiledPropertyType::Int))
        return false;
    value = property.intValue;
    return true;
}

bool readFloat(const TiledObject& object, const TiledProperty& property, float& value)
{
    if (!hasType(object, property, TiledPropertyType::Float))
        return false;
    value = property.floatValue;
    return true;
}

bool readString(const TiledObject& object, const TiledProperty& property, std::string& value)
{
    if (!hasType(object, property, TiledPropertyType::String))
        return false;
    value = property.stringValue;
    return true;
}

// An empty file name would join to the asset directory itself, which no texture loader can use.
bool readFileName(const TiledObject& object, const TiledProperty& property, std::string& value)
{
    std::string fileName;
    if (!readString(object, property, fileName))
        return false;
    if (fileName.empty())
    {
        reportAbout(object) << "property \"" << property.name << "\" names no file; ignored" << std::endl;
        return false;
    }
    value = fileName;
    return true;
}

// Densities feed the mass computation of the physics engine, where a negative or non-finite value
// turns every later step of the body into nonsense.
bool isUsableDensity(const TiledObject& object, const TiledProperty& property, float density)
{
    if (std::isfinite(density) && density >= 0.0f)
        return true;
    reportAbout(object) << "property \"" << property.name
                        << "\" must be a finite number of 0 or more; object not created" << std::endl;
    return false;
}

} // namespace

// Map editors store positions and sizes as floating point; the game works in whole pixels.
bool readRect(const TiledObject& object, ObjectRect& rect)
{
    if (!fitsInt(object.x) || !fitsInt(object.y))
    {
        reportAbout(object) << "position is not a usable pixel value; object not created" << std::endl;
        return false;
    }
    rect.x = static_cast<int>(object.x);
    rect.y = static_cast<int>(object.y);
    rect.width = fitsInt(object.width) ? static_cast<int>(object.width) : 0;
    rect.height = fitsInt(object.height) ? static_cast<int>(object.height) : 0;
    return true;
}

// A collision box without area has no mass and no normals; the physics engine cannot handle it.
bool readBoxRect(const TiledObject& object, ObjectRect& rect)
{
    if (!readRect(object, rect))
        return false;
    if (rect.width > 0 && rect.height > 0)
        return true;
    reportAbout(object) << "width and height must be at least 1 pixel; object not created" << std::endl;
    return false;
}

namespace
{

// The spawner's property names are a prefix followed by the item kind, e.g. "ItemDensity1". The kind
// is read like std::stoi would (blanks, sign, digits up to the first other character) but without
// exceptions, and must name one of the two kinds.
bool parseItemKind(const TiledObject& object, const std::string& propertyName, const std::string& rest, int& kind)
{
    const char* begin = rest.c_str();
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(begin, &end, 10);
    const bool isNumber = end != begin && errno != ERANGE && fitsInt(value);
    if (isNumber && value >= 0 && value < ItemPool::KIND_COUNT)
    {
        kind = static_cast<int>(value);
        return true;
    }
    reportAbout(object) << "property \"" << propertyName << "\" must end in the item kind 0 or 1; ignored"
                        << std::endl;
    return false;
}

void readSpawnerProperty(const TiledObject& object, const TiledProperty& property, const std::string& prefix,
                         int kind, const std::filesystem::path& baseDirectory, SpawnerSettings& settings)
{
    sf::IntRect& rect = settings.textureRects[kind];
    if (prefix == "ItemTexture")
    {
        std::string fileName;
        if (readFileName(object, property, fileName))
        {
            settings.texturePaths[kind] = (baseDirectory / fileName).string();
            settings.hasTexture = true;
        }
    }
    else if (prefix == "TextureHeight")
        readInt(object, property, rect.height);
    else if (prefix == "TextureWidth")
        readInt(object, property, rect.width);
    else if (prefix == "TextureLeft")
        readInt(object, property, rect.left);
    else if (prefix == "TextureTop")
        readInt(object, property, rect.top);
    else if (prefix == "ItemSpawnRate")
    {
        float rate = 0.0f;
        if (!readFloat(object, property, rate))
            return;
        if (std::isfinite(rate))
            settings.spawnRates[kind] = rate;
        else
            reportAbout(object) << "property \"" << property.name << "\" must be a finite number; ignored"
                                << std::endl;
    }
}

} // namespace


bool readSpriteSettings(const TiledObject& object, const std::filesystem::path& baseDirectory,
                        SpriteSettings& settings)
{
    for (const TiledProperty& property : object.properties)
    {
        const std::string& name = property.name;
        if (name == "Texture")
        {
            std::string fileName;
            if (readFileName(object, property, fileName))
                settings.texturePath = baseDirectory / fileName;
        }
        else if (name == "TextureRectLeft")
            readInt(object, property, settings.textureRectLeft);
        else if (name == "TextureRectTop")
            readInt(object, property, settings.textureRectTop);
        else if (name == "InputPlayerIdx")
        {
            if (readInt(object, property, settings.inputPlayerIndex))
                settings.hasInputPlayerIndex = true;
        }
        else if (name == "Density")
        {
            if (readFloat(object, property, settings.density) && !isUsableDensity(object, property, settings.density))
                return false;
        }
        else if (name == "Health")
            readInt(object, property, settings.health);
        else if (name == "Scale")
        {
            float scale = 0.0f;
            if (!readFloat(object, property, scale))
                continue;
            if (std::isfinite(scale) && scale > 0.0f)
                settings.scale = scale;
            else
                reportAbout(object) << "property \"Scale\" must be a finite number greater than 0; "
                                    << "the scale stays " << settings.scale << std::endl;
        }
    }
    return true;
}

bool readSpawnerSettings(const TiledObject& object, const std::filesystem::path& baseDirectory,
                         SpawnerSettings& settings)
{
    static const std::array<std::string, 7> prefixes = {"ItemTexture",  "TextureHeight", "TextureWidth",
                                                         "TextureLeft",  "TextureTop",    "ItemDensity",
                                                         "ItemSpawnRate"};
    for (const TiledProperty& property : object.properties)
    {
        for (const std::string& prefix : prefixes)
        {
            if (property.name.compare(0, prefix.size(), prefix) != 0)
                continue;
            int kind = 0;
            if (!parseItemKind(object, property.name, property.name.substr(prefix.size()), kind))
                break;
            if (prefix == "ItemDensity")
            {
                float density = 0.0f;
                if (readFloat(object, property, density))
                {
                    if (!isUsableDensity(object, property, density))
                        return false;
                    settings.densities[kind] = density;
                }
            }
            else
                readSpawnerProperty(object, property, prefix, kind, baseDirectory, settings);
            break;
        }
    }
    return true;
}


std::string readTriggerType(const TiledObject& object)
{
    std::string triggerType;
    for (const TiledProperty& property : object.properties)
    {
        if (property.name == "type")
            readString(object, property, triggerType);
    }
    return triggerType;
}

TriggerKind triggerKindOf(const std::string& triggerType)
{
    if (triggerType == "Killzone")
        return TriggerKind::Killzone;
    if (triggerType == "River")
        return TriggerKind::River;
    return TriggerKind::Plain;
}

sf::IntRect sheetAreaOf(const AnimationStrip& strip)
{
    return {strip.start.x, strip.start.y, SHEET_COLUMNS * strip.frameSize.x, strip.frameCount * strip.frameSize.y};
}

} // namespace zelk
