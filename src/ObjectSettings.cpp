#include "ObjectSettings.h"

#include "TiledObject.h"
#include "TiledProperty.h"

#include <SFML/System/Err.hpp>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <ostream>
#include <sstream>

namespace zelk
{

namespace
{

void report(ObjectFindings& findings, const TiledObject& object, const std::string& property, std::string text)
{
    findings.push_back({object.name, property, FindingSeverity::Error, std::move(text)});
}

std::string quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

// A property of an unexpected type is skipped, so one typo in the editor costs one value, not the map.
bool hasType(const TiledObject& object, const TiledProperty& property, TiledPropertyType expected,
             ObjectFindings& findings)
{
    if (property.type == expected)
        return true;
    report(findings, object, property.name,
           "property " + quoted(property.name) + " is of type " + toString(property.type) + ", expected " +
               toString(expected) + "; ignored");
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

bool readInt(const TiledObject& object, const TiledProperty& property, int& value, ObjectFindings& findings)
{
    if (!hasType(object, property, TiledPropertyType::Int, findings))
        return false;
    value = property.intValue;
    return true;
}

bool readFloat(const TiledObject& object, const TiledProperty& property, float& value, ObjectFindings& findings)
{
    if (!hasType(object, property, TiledPropertyType::Float, findings))
        return false;
    value = property.floatValue;
    return true;
}

bool readString(const TiledObject& object, const TiledProperty& property, std::string& value, ObjectFindings& findings)
{
    if (!hasType(object, property, TiledPropertyType::String, findings))
        return false;
    value = property.stringValue;
    return true;
}

// An empty file name would join to the asset directory itself, which no texture loader can use.
bool readFileName(const TiledObject& object, const TiledProperty& property, std::string& value,
                  ObjectFindings& findings)
{
    std::string fileName;
    if (!readString(object, property, fileName, findings))
        return false;
    if (fileName.empty())
    {
        report(findings, object, property.name, "property " + quoted(property.name) + " names no file; ignored");
        return false;
    }
    value = fileName;
    return true;
}

// Densities feed the mass computation of the physics engine, where a negative or non-finite value
// turns every later step of the body into nonsense.
bool isUsableDensity(const TiledObject& object, const TiledProperty& property, float density,
                     ObjectFindings& findings)
{
    if (std::isfinite(density) && density >= 0.0f)
        return true;
    report(findings, object, property.name,
           "property " + quoted(property.name) + " must be a finite number of 0 or more; object not created");
    return false;
}

} // namespace

// Map editors store positions and sizes as floating point; the game works in whole pixels.
bool readRect(const TiledObject& object, ObjectRect& rect, ObjectFindings& findings)
{
    if (!fitsInt(object.x) || !fitsInt(object.y))
    {
        report(findings, object, "", "position is not a usable pixel value; object not created");
        return false;
    }
    rect.x = static_cast<int>(object.x);
    rect.y = static_cast<int>(object.y);
    rect.width = fitsInt(object.width) ? static_cast<int>(object.width) : 0;
    rect.height = fitsInt(object.height) ? static_cast<int>(object.height) : 0;
    return true;
}

// A collision box without area has no mass and no normals; the physics engine cannot handle it.
bool readBoxRect(const TiledObject& object, ObjectRect& rect, ObjectFindings& findings)
{
    if (!readRect(object, rect, findings))
        return false;
    if (rect.width > 0 && rect.height > 0)
        return true;
    report(findings, object, "", "width and height must be at least 1 pixel; object not created");
    return false;
}

namespace
{

// The spawner's property names are a prefix followed by the item kind, e.g. "ItemDensity1". The kind
// is read like std::stoi would (blanks, sign, digits up to the first other character) but without
// exceptions, and must name one of the two kinds.
bool parseItemKind(const TiledObject& object, const std::string& propertyName, const std::string& rest, int& kind,
                   ObjectFindings& findings)
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
    report(findings, object, propertyName,
           "property " + quoted(propertyName) + " must end in the item kind 0 or 1; ignored");
    return false;
}

void readSpawnerProperty(const TiledObject& object, const TiledProperty& property, const std::string& prefix,
                         int kind, const std::filesystem::path& baseDirectory, SpawnerSettings& settings,
                         ObjectFindings& findings)
{
    sf::IntRect& rect = settings.textureRects[kind];
    if (prefix == "ItemTexture")
    {
        std::string fileName;
        if (readFileName(object, property, fileName, findings))
        {
            settings.texturePaths[kind] = (baseDirectory / fileName).string();
            settings.hasTexture = true;
        }
    }
    else if (prefix == "TextureHeight")
        readInt(object, property, rect.height, findings);
    else if (prefix == "TextureWidth")
        readInt(object, property, rect.width, findings);
    else if (prefix == "TextureLeft")
        readInt(object, property, rect.left, findings);
    else if (prefix == "TextureTop")
        readInt(object, property, rect.top, findings);
    else if (prefix == "ItemSpawnRate")
    {
        float rate = 0.0f;
        if (!readFloat(object, property, rate, findings))
            return;
        if (std::isfinite(rate))
            settings.spawnRates[kind] = rate;
        else
            report(findings, object, property.name, "property " + quoted(property.name) + " must be a finite number; ignored");
    }
}

} // namespace


bool readSpriteSettings(const TiledObject& object, const std::filesystem::path& baseDirectory,
                        SpriteSettings& settings, ObjectFindings& findings)
{
    for (const TiledProperty& property : object.properties)
    {
        const std::string& name = property.name;
        if (name == "Texture")
        {
            std::string fileName;
            if (readFileName(object, property, fileName, findings))
                settings.texturePath = baseDirectory / fileName;
        }
        else if (name == "TextureRectLeft")
            readInt(object, property, settings.textureRectLeft, findings);
        else if (name == "TextureRectTop")
            readInt(object, property, settings.textureRectTop, findings);
        else if (name == "InputPlayerIdx")
        {
            if (readInt(object, property, settings.inputPlayerIndex, findings))
                settings.hasInputPlayerIndex = true;
        }
        else if (name == "Density")
        {
            if (readFloat(object, property, settings.density, findings) &&
                !isUsableDensity(object, property, settings.density, findings))
                return false;
        }
        else if (name == "Health")
            readInt(object, property, settings.health, findings);
        else if (name == "Scale")
        {
            float scale = 0.0f;
            if (!readFloat(object, property, scale, findings))
                continue;
            if (std::isfinite(scale) && scale > 0.0f)
                settings.scale = scale;
            else
            {
                std::ostringstream text;
                text << "property \"Scale\" must be a finite number greater than 0; the scale stays " << settings.scale;
                report(findings, object, name, text.str());
            }
        }
    }
    return true;
}

bool readSpawnerSettings(const TiledObject& object, const std::filesystem::path& baseDirectory,
                         SpawnerSettings& settings, ObjectFindings& findings)
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
            if (!parseItemKind(object, property.name, property.name.substr(prefix.size()), kind, findings))
                break;
            if (prefix == "ItemDensity")
            {
                float density = 0.0f;
                if (readFloat(object, property, density, findings))
                {
                    if (!isUsableDensity(object, property, density, findings))
                        return false;
                    settings.densities[kind] = density;
                }
            }
            else
                readSpawnerProperty(object, property, prefix, kind, baseDirectory, settings, findings);
            break;
        }
    }
    return true;
}


std::string readTriggerType(const TiledObject& object, ObjectFindings& findings)
{
    std::string triggerType;
    for (const TiledProperty& property : object.properties)
    {
        if (property.name == "type")
            readString(object, property, triggerType, findings);
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

void printFindings(const ObjectFindings& findings)
{
    for (const ObjectFinding& finding : findings)
        sf::err() << "Map object \"" << finding.object << "\": " << finding.text << std::endl;
}

std::optional<ObjectClassRule> objectClassOf(const std::string& className)
{
    for (const ObjectClassRule& rule : OBJECT_CLASSES)
    {
        if (className == rule.name)
            return rule;
    }
    return std::nullopt;
}

sf::Vector2f boxCentreOffset(BoxAnchor anchor, const ObjectRect& rect)
{
    if (anchor != BoxAnchor::TopLeft)
        return {0.f, 0.f};
    return {static_cast<float>(rect.width) * 0.5f, static_cast<float>(rect.height) * 0.5f};
}

sf::FloatRect boxOnMap(BoxAnchor anchor, const ObjectRect& rect)
{
    const float x = static_cast<float>(rect.x);
    const float y = static_cast<float>(rect.y);
    const float width = static_cast<float>(rect.width);
    const float height = static_cast<float>(rect.height);
    switch (anchor)
    {
    case BoxAnchor::Centre:
        return {x - width * 0.5f, y - height * 0.5f, width, height};
    case BoxAnchor::TopLeft:
        return {x, y, width, height};
    case BoxAnchor::None:
        break;
    }
    return {x, y, 0.f, 0.f};
}

} // namespace zelk
