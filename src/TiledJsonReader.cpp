#include "TiledJsonReader.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <iomanip>
#include <sstream>

namespace zelk
{

namespace
{

using Json = nlohmann::json;

constexpr std::size_t MaxQuotedLength = 60;
constexpr std::size_t MaxReasonLength = 300;

std::string shorten(std::string text, std::size_t maxLength)
{
    if (text.size() > maxLength)
        text = text.substr(0, maxLength) + "...";
    return text;
}

// Text from the file, quoted and escaped, so that odd names cannot break the message line.
std::string quote(const std::string& text)
{
    const std::string escaped = Json(text).dump(-1, ' ', false, Json::error_handler_t::replace);
    if (escaped.size() <= MaxQuotedLength)
        return escaped;
    return escaped.substr(0, MaxQuotedLength) + "...\"";
}

std::string describe(const Json& value)
{
    if (value.is_string())
        return "the text " + quote(value.get_ref<const std::string&>());
    if (value.is_number_float() && !std::isfinite(value.get<double>()))
        return "a number too large to hold";
    if (value.is_number() || value.is_boolean() || value.is_null())
        return value.dump();
    if (value.is_array())
        return "an array";
    return "an object";
}

std::string describeNumber(double value)
{
    std::ostringstream text;
    text << std::setprecision(10) << value;
    return text.str();
}

// Collects nothing but the first syntax error, so that the reason can say where the file broke.
class ParseErrorCatcher : public nlohmann::json_sax<Json>
{
public:
    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool string(string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override { return true; }
    bool key(string_t&) override { return true; }
    bool end_object() override { return true; }
    bool start_array(std::size_t) override { return true; }
    bool end_array() override { return true; }
    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& error) override
    {
        m_position = position;
        m_message = error.what();
        return false;
    }

    const std::string& message() const { return m_message; }
    std::size_t position() const { return m_position; }

private:
    std::string m_message;
    std::size_t m_position = 0;
};

std::string describeParseError(const std::string& text)
{
    if (text.find_first_not_of(" \t\r\n") == std::string::npos)
        return "the file is empty";
    ParseErrorCatcher catcher;
    Json::sax_parse(text, &catcher);
    std::string detail = catcher.message();
    // Drop the library's "[json.exception.parse_error.101] " tag.
    const std::size_t tagEnd = detail.find("] ");
    if (tagEnd != std::string::npos)
        detail.erase(0, tagEnd + 2);
    // What was last read may be any bytes of a binary file; line and column say enough.
    const std::size_t lastRead = detail.find("; last read: ");
    if (lastRead != std::string::npos)
    {
        const std::size_t expected = detail.rfind("; expected ");
        detail.erase(lastRead, expected != std::string::npos && expected > lastRead ? expected - lastRead
                                                                                    : std::string::npos);
    }
    std::string reason = "is not valid JSON (" + detail + ")";
    // The text ran out before the document was complete.
    if (catcher.position() >= text.size())
        reason += "; the file looks truncated";
    return reason;
}

int base64Value(char character)
{
    if (character >= 'A' && character <= 'Z')
        return character - 'A';
    if (character >= 'a' && character <= 'z')
        return character - 'a' + 26;
    if (character >= '0' && character <= '9')
        return character - '0' + 52;
    if (character == '+')
        return 62;
    if (character == '/')
        return 63;
    return -1;
}

std::string describeCharacter(char character)
{
    const auto byte = static_cast<unsigned char>(character);
    if (byte > 0x20 && byte < 0x7f)
        return std::string("'") + character + "'";
    std::ostringstream text;
    text << "byte 0x" << std::hex << static_cast<int>(byte);
    return text.str();
}

// Index of the first character that is not Base64 (padding only at the end), or npos.
std::size_t findInvalidBase64(const std::string& text)
{
    const std::size_t size = text.size();
    for (std::size_t i = 0; i < size; ++i)
    {
        if (base64Value(text[i]) >= 0)
            continue;
        const bool lastPad = text[i] == '=' && i == size - 1;
        const bool secondLastPad = text[i] == '=' && i + 2 == size && text[size - 1] == '=';
        if (!lastPad && !secondLastPad)
            return i;
    }
    return std::string::npos;
}

std::size_t base64PaddingOf(const std::string& text)
{
    std::size_t padding = 0;
    for (auto it = text.rbegin(); it != text.rend() && *it == '=' && padding < 2; ++it)
        ++padding;
    return padding;
}

// The text is valid Base64 (checked before); writes its bytes, little-endian, as 32-bit ids.
void decodeBase64TileIds(const std::string& text, std::vector<std::uint32_t>& ids, std::size_t count)
{
    ids.assign(count, 0);
    std::size_t byteIndex = 0;
    std::uint32_t bits = 0;
    int bitCount = 0;
    for (const char character : text)
    {
        const int value = base64Value(character);
        if (value < 0)
            break;
        bits = (bits << 6) | static_cast<std::uint32_t>(value);
        bitCount += 6;
        if (bitCount >= 8)
        {
            bitCount -= 8;
            const std::uint32_t byte = (bits >> bitCount) & 0xFFu;
            if (byteIndex / 4 < count)
                ids[byteIndex / 4] |= byte << (8 * (byteIndex % 4));
            ++byteIndex;
        }
    }
}

bool parsePropertyType(const std::string& name, TiledPropertyType& type)
{
    static const std::pair<const char*, TiledPropertyType> names[] = {
        {"string", TiledPropertyType::String}, {"int", TiledPropertyType::Int},
        {"float", TiledPropertyType::Float},   {"bool", TiledPropertyType::Bool},
        {"color", TiledPropertyType::Color},   {"file", TiledPropertyType::File},
        {"object", TiledPropertyType::Object}, {"class", TiledPropertyType::Class},
    };
    for (const auto& [text, value] : names)
    {
        if (name == text)
        {
            type = value;
            return true;
        }
    }
    return false;
}

// "an \"isometric\" map", "a \"hexagonal\" map".
std::string withArticle(const std::string& quotedWord)
{
    const char first = quotedWord.size() > 1 ? quotedWord[1] : 'x';
    const bool vowel = std::string("aeiouAEIOU").find(first) != std::string::npos;
    return (vowel ? "an " : "a ") + quotedWord;
}

int hexDigit(char character)
{
    if (character >= '0' && character <= '9')
        return character - '0';
    if (character >= 'a' && character <= 'f')
        return character - 'a' + 10;
    if (character >= 'A' && character <= 'F')
        return character - 'A' + 10;
    return -1;
}

// "#rrggbb" or "#aarrggbb" (the alpha is dropped), as the editor writes colours; false otherwise.
bool parseRgb(const std::string& text, std::uint32_t& rgb)
{
    const std::size_t start = !text.empty() && text[0] == '#' ? 1 : 0;
    const std::size_t digits = text.size() - start;
    if (digits != 6 && digits != 8)
        return false;
    std::uint32_t value = 0;
    for (std::size_t i = start; i < text.size(); ++i)
    {
        const int digit = hexDigit(text[i]);
        if (digit < 0)
            return false;
        value = (value << 4) | static_cast<std::uint32_t>(digit);
    }
    rgb = value & 0xFFFFFFu;
    return true;
}

// A tileset without an image of its own whose tiles name images: an image collection.
bool isImageCollection(const Json& tileset)
{
    const auto tiles = tileset.find("tiles");
    if (tileset.contains("image") || tiles == tileset.end() || !tiles->is_array())
        return false;
    return std::any_of(tiles->begin(), tiles->end(),
                       [](const Json& tile) { return tile.is_object() && tile.contains("image"); });
}

std::string numbered(const char* what, std::size_t index, const std::string& where)
{
    return std::string(what) + " #" + std::to_string(index + 1) + " in " + where;
}

} // namespace

bool TiledJsonReader::read(const std::string& text)
{
    const Json document = Json::parse(text, nullptr, false);
    if (document.is_discarded())
        return fail(describeParseError(text));
    if (!document.is_object())
        return fail("is not a Tiled map: the file holds " + describe(document) + " instead of an object");
    const bool whole = readMapHeader(document) && readTilesets(document) && readLayerList(document, "map", 0, nullptr);
    if (whole)
    {
        noteCompressedLayers();
        noteTemplates();
    }
    if (m_reasons.empty())
        return true;
    m_error = m_reasons.front();
    return false;
}

bool TiledJsonReader::readMapHeader(const Json& map)
{
    std::string type;
    if (!readString(map, "type", "map", type))
        return false;
    if (!type.empty() && type != "map")
        return fail("is a Tiled " + quote(type) + " file, not a map");

    const auto infinite = map.find("infinite");
    if (infinite != map.end())
    {
        if (!infinite->is_boolean())
            return failField("map", "infinite", *infinite, "true or false");
        m_infinite = infinite->get<bool>();
        if (m_infinite)
            unsupported("is an infinite map, which is not supported; turn off \"Infinite\" in the map properties");
    }

    std::string orientation;
    if (!readString(map, "orientation", "map", orientation))
        return false;
    if (!orientation.empty() && orientation != "orthogonal")
        unsupported("is " + withArticle(quote(orientation)) + " map; only orthogonal maps are supported");

    return readRequiredInt(map, "width", "map", 1, MaxTiles, m_width) &&
           readRequiredInt(map, "height", "map", 1, MaxTiles, m_height) &&
           readRequiredInt(map, "tilewidth", "map", 1, MaxTileSize, m_tileWidth) &&
           readRequiredInt(map, "tileheight", "map", 1, MaxTileSize, m_tileHeight);
}

bool TiledJsonReader::readTilesets(const Json& map)
{
    const auto tilesets = map.find("tilesets");
    if (tilesets == map.end())
        return true;
    if (!tilesets->is_array())
        return failField("map", "tilesets", *tilesets, "an array of tilesets");
    m_tilesets.reserve(tilesets->size());
    for (std::size_t i = 0; i < tilesets->size(); ++i)
    {
        if (!readTileset((*tilesets)[i], i))
            return false;
    }
    return true;
}

bool TiledJsonReader::readTileset(const Json& json, std::size_t index)
{
    std::string where = numbered("tileset", index, "map");
    if (!json.is_object())
        return fail(where + " is " + describe(json) + "; expected an object");
    TiledTileset tileset;
    if (!readString(json, "name", where, tileset.name))
        return false;
    if (!tileset.name.empty())
        where = "tileset " + quote(tileset.name);

    const auto source = json.find("source");
    if (source != json.end())
    {
        const std::string file = source->is_string() ? quote(source->get<std::string>()) : describe(*source);
        return unsupported(where + " is the external tileset file " + file +
                           ", which is not supported; embed the tileset in the map");
    }

    if (!readRequiredInt(json, "firstgid", where, 1, MaxFirstGid, tileset.firstGid) ||
        !readString(json, "image", where, tileset.image) ||
        !readInt(json, "tilecount", where, 0, MaxFirstGid, tileset.tileCount) ||
        !readInt(json, "tilewidth", where, 0, MaxTileSize, tileset.tileWidth) ||
        !readInt(json, "tileheight", where, 0, MaxTileSize, tileset.tileHeight) ||
        !readInt(json, "margin", where, 0, MaxTileSize, tileset.margin) ||
        !readInt(json, "spacing", where, 0, MaxTileSize, tileset.spacing) ||
        !readColor(json, "transparentcolor", where, tileset.hasTransparentColor, tileset.transparentColor) ||
        !readTileOffset(json, tileset, where))
        return false;
    tileset.isImageCollection = isImageCollection(json);
    m_tilesets.push_back(std::move(tileset));
    return true;
}

bool TiledJsonReader::readTileOffset(const Json& json, TiledTileset& tileset, const std::string& where)
{
    const auto offset = json.find("tileoffset");
    if (offset == json.end())
        return true;
    if (!offset->is_object())
        return failField(where, "tileoffset", *offset, "an object");
    const std::string offsetWhere = where + " tile offset";
    return readInt(*offset, "x", offsetWhere, -MaxTileSize, MaxTileSize, tileset.offsetX) &&
           readInt(*offset, "y", offsetWhere, -MaxTileSize, MaxTileSize, tileset.offsetY);
}

bool TiledJsonReader::readLayerList(const Json& owner, const std::string& where, int depth, const TiledLayer* group)
{
    const auto layers = owner.find("layers");
    if (layers == owner.end())
        return true;
    if (!layers->is_array())
        return failField(where, "layers", *layers, "an array of layers");
    for (std::size_t i = 0; i < layers->size(); ++i)
    {
        const Json& layer = (*layers)[i];
        if (!layer.is_object())
            return fail(numbered("layer", i, where) + " is " + describe(layer) + "; expected an object");
        if (!readLayer(layer, numbered("layer", i, where), depth, group))
            return false;
    }
    return true;
}

bool TiledJsonReader::readLayer(const Json& json, std::string where, int depth, const TiledLayer* group)
{
    TiledLayer layer;
    if (!readString(json, "name", where, layer.name))
        return false;
    if (!layer.name.empty())
        where = "layer " + quote(layer.name);

    const auto typeField = json.find("type");
    if (typeField == json.end())
        return fail(where + " has no \"type\"");
    if (!typeField->is_string())
        return failField(where, "type", *typeField, "a layer type");
    const std::string& type = typeField->get_ref<const std::string&>();
    readLayerLook(json, layer, where, group);
    if (m_malformed)
        return false;

    if (type == "group")
    {
        if (depth + 1 > MaxGroupDepth)
            return fail(where + " is nested in more than " + std::to_string(MaxGroupDepth) + " group layers");
        return readLayerList(json, where, depth + 1, &layer);
    }
    if (type == "tilelayer")
    {
        layer.kind = TiledLayerKind::Tile;
        if (!readTileLayer(json, layer, where))
            return false;
    }
    else if (type == "objectgroup")
    {
        layer.kind = TiledLayerKind::Object;
        if (!readObjectLayer(json, layer, where))
            return false;
    }
    else if (type == "imagelayer")
    {
        layer.kind = TiledLayerKind::Image;
    }
    else
    {
        return unsupported(where + " has the unsupported layer type " + quote(type));
    }
    m_layers.push_back(std::move(layer));
    return true;
}

// Missing fields keep the group's look (or the editor's defaults); broken ones fail the read.
void TiledJsonReader::readLayerLook(const Json& json, TiledLayer& layer, const std::string& where,
                                    const TiledLayer* group)
{
    float opacity = 1.f;
    float offsetX = 0.f;
    float offsetY = 0.f;
    const auto visible = json.find("visible");
    if (visible != json.end() && !visible->is_boolean())
    {
        failField(where, "visible", *visible, "true or false");
        return;
    }
    if (!readNumber(json, "opacity", where, 0.0, 1.0, opacity) ||
        !readNumber(json, "offsetx", where, -MaxCoordinate, MaxCoordinate, offsetX) ||
        !readNumber(json, "offsety", where, -MaxCoordinate, MaxCoordinate, offsetY))
        return;
    const bool isVisible = visible == json.end() || visible->get<bool>();
    layer.opacity = group ? group->opacity * opacity : opacity;
    layer.visible = (!group || group->visible) && isVisible;
    layer.offsetX = (group ? group->offsetX : 0.f) + offsetX;
    layer.offsetY = (group ? group->offsetY : 0.f) + offsetY;
}

bool TiledJsonReader::readTileLayer(const Json& json, TiledLayer& layer, const std::string& where)
{
    // An infinite map says so once; its layers need not repeat it.
    if (json.contains("chunks"))
        return m_infinite || unsupported(where + " stores its tiles in chunks (an infinite map), which is not supported");

    // The editor always writes the size; a hand-made layer without one covers the map.
    layer.width = m_width;
    layer.height = m_height;
    if (!readInt(json, "width", where, 0, MaxTiles, layer.width) ||
        !readInt(json, "height", where, 0, MaxTiles, layer.height))
        return false;

    std::string compression;
    std::string encoding;
    if (!readString(json, "compression", where, compression) || !readString(json, "encoding", where, encoding))
        return false;
    if (!compression.empty())
    {
        // One reason per kind of compression, naming its layers.
        m_compressedLayers[quote(compression)].push_back(where);
        return true;
    }
    if (!encoding.empty() && encoding != "csv" && encoding != "base64")
        return unsupported(where + " has the unsupported encoding " + quote(encoding));

    const auto data = json.find("data");
    const std::int64_t cells = static_cast<std::int64_t>(layer.width) * layer.height;
    m_tileCells += cells;
    if (m_tileCells > MaxMapCells)
        return fail(where + " brings the cells of all tile layers to " + std::to_string(m_tileCells) +
                    ", more than the " + std::to_string(MaxMapCells) + " a map may have");
    if (data == json.end())
    {
        if (cells == 0)
            return true;
        return fail(where + " has no tile data");
    }
    if (encoding == "base64")
    {
        if (!data->is_string())
            return failField(where, "data", *data, "Base64 text");
        return readTileIdBase64(data->get_ref<const std::string&>(), layer, where);
    }
    return readTileIdArray(*data, layer, where);
}

bool TiledJsonReader::readTileIdArray(const Json& data, TiledLayer& layer, const std::string& where)
{
    if (!data.is_array())
        return failField(where, "data", data, "an array of tile ids");
    const std::size_t cells = static_cast<std::size_t>(layer.width) * static_cast<std::size_t>(layer.height);
    if (data.size() != cells)
        return fail(where + " holds " + std::to_string(data.size()) + " tile ids; expected " +
                    std::to_string(layer.width) + " x " + std::to_string(layer.height) + " = " +
                    std::to_string(cells));
    layer.data.reserve(cells);
    for (std::size_t i = 0; i < cells; ++i)
    {
        const Json& id = data[i];
        if (!id.is_number_unsigned() || id.get<std::uint64_t>() > UINT32_MAX)
            return fail(where + " tile id of cell " + std::to_string(i) + " is " + describe(id) +
                        "; expected a whole number from 0 to 4294967295");
        layer.data.push_back(static_cast<std::uint32_t>(id.get<std::uint64_t>()));
    }
    return true;
}

bool TiledJsonReader::readTileIdBase64(const std::string& text, TiledLayer& layer, const std::string& where)
{
    const std::string invalid = where + " has invalid Base64 tile data: ";
    if (text.size() % 4 != 0)
        return fail(invalid + "its length " + std::to_string(text.size()) + " is not a multiple of 4");
    const std::size_t bad = findInvalidBase64(text);
    if (bad != std::string::npos)
        return fail(invalid + describeCharacter(text[bad]) + " at position " + std::to_string(bad) +
                    " is not Base64");
    const std::size_t cells = static_cast<std::size_t>(layer.width) * static_cast<std::size_t>(layer.height);
    const std::size_t bytes = text.size() / 4 * 3 - base64PaddingOf(text);
    if (bytes != 4 * cells)
        return fail(invalid + "it decodes to " + std::to_string(bytes) + " bytes; expected 4 x " +
                    std::to_string(cells) + " cells = " + std::to_string(4 * cells));
    decodeBase64TileIds(text, layer.data, cells);
    return true;
}

bool TiledJsonReader::readObjectLayer(const Json& json, TiledLayer& layer, const std::string& where)
{
    const auto objects = json.find("objects");
    if (objects == json.end())
        return true;
    if (!objects->is_array())
        return failField(where, "objects", *objects, "an array of objects");
    layer.objects.resize(objects->size());
    for (std::size_t i = 0; i < objects->size(); ++i)
    {
        if (!readObject((*objects)[i], layer.objects[i], where, i))
            return false;
    }
    return true;
}

bool TiledJsonReader::readObject(const Json& json, TiledObject& object, const std::string& layerWhere,
                                 std::size_t index)
{
    std::string where = numbered("object", index, layerWhere);
    if (!json.is_object())
        return fail(where + " is " + describe(json) + "; expected an object");
    if (!readInt(json, "id", where, 0, INT_MAX, object.id) || !readString(json, "name", where, object.name))
        return false;
    if (object.id > 0)
        where = "object " + std::to_string(object.id) + (object.name.empty() ? "" : " " + quote(object.name)) +
                " in " + layerWhere;

    const auto templateFile = json.find("template");
    if (templateFile != json.end())
    {
        if (m_templateObjects++ == 0)
            m_firstTemplate = templateFile->is_string() ? quote(templateFile->get<std::string>()) : describe(*templateFile);
    }

    // Tiled 1.9 wrote the class under "class"; before and after it is "type".
    if (!readString(json, "type", where, object.className))
        return false;
    if (object.className.empty() && !readString(json, "class", where, object.className))
        return false;

    return readNumber(json, "x", where, -MaxCoordinate, MaxCoordinate, object.x) &&
           readNumber(json, "y", where, -MaxCoordinate, MaxCoordinate, object.y) &&
           readNumber(json, "width", where, 0.0, MaxCoordinate, object.width) &&
           readNumber(json, "height", where, 0.0, MaxCoordinate, object.height) &&
           readProperties(json, object.properties, where);
}

bool TiledJsonReader::readProperties(const Json& owner, std::vector<TiledProperty>& properties,
                                     const std::string& where)
{
    const auto list = owner.find("properties");
    if (list == owner.end())
        return true;
    if (list->is_object())
        return fail(where + " has its properties in the format of Tiled before 1.2, which is not supported; "
                            "save the map again with a newer editor");
    if (!list->is_array())
        return failField(where, "properties", *list, "an array of properties");
    properties.resize(list->size());
    for (std::size_t i = 0; i < list->size(); ++i)
    {
        if (!readProperty((*list)[i], properties[i], where, i))
            return false;
    }
    return true;
}

bool TiledJsonReader::readProperty(const Json& json, TiledProperty& property, const std::string& ownerWhere,
                                   std::size_t index)
{
    std::string where = numbered("property", index, ownerWhere);
    if (!json.is_object())
        return fail(where + " is " + describe(json) + "; expected an object");
    if (!readString(json, "name", where, property.name))
        return false;
    where = "property " + quote(property.name) + " of " + ownerWhere;

    // The editor always writes the type; its own reader takes a missing one as "string".
    std::string typeName = "string";
    if (!readString(json, "type", where, typeName))
        return false;
    if (!parsePropertyType(typeName, property.type))
        return fail(where + " has the unsupported type " + quote(typeName));

    const auto value = json.find("value");
    if (value == json.end())
        return true;
    return readPropertyValue(*value, property, where);
}

bool TiledJsonReader::readPropertyValue(const Json& value, TiledProperty& property, const std::string& where)
{
    const std::string declared = where + " is declared " + quote(toString(property.type)) + " but its value is ";
    switch (property.type)
    {
    case TiledPropertyType::String:
    case TiledPropertyType::Color:
    case TiledPropertyType::File:
        if (!value.is_string())
            return fail(declared + describe(value));
        property.stringValue = value.get<std::string>();
        return true;
    case TiledPropertyType::Int:
    case TiledPropertyType::Object:
        if (!value.is_number_integer())
            return fail(declared + describe(value));
        if (value.is_number_unsigned() ? value.get<std::uint64_t>() > static_cast<std::uint64_t>(INT_MAX)
                                       : (value.get<std::int64_t>() < INT_MIN || value.get<std::int64_t>() > INT_MAX))
            return fail(declared + describe(value) + ", beyond the range of an int");
        property.intValue = static_cast<int>(value.get<std::int64_t>());
        return true;
    case TiledPropertyType::Float:
        // A whole number like 2 is written without a decimal point.
        if (!value.is_number())
            return fail(declared + describe(value));
        if (!std::isfinite(value.get<double>()) || std::fabs(value.get<double>()) > FLT_MAX)
            return fail(declared + describe(value) + ", beyond the range of a float");
        property.floatValue = static_cast<float>(value.get<double>());
        return true;
    case TiledPropertyType::Bool:
        if (!value.is_boolean())
            return fail(declared + describe(value));
        property.boolValue = value.get<bool>();
        return true;
    case TiledPropertyType::Class:
        if (!value.is_object())
            return fail(declared + describe(value));
        property.stringValue = value.dump(-1, ' ', false, Json::error_handler_t::replace);
        return true;
    }
    return fail(declared + describe(value));
}

bool TiledJsonReader::readInt(const Json& owner, const char* key, const std::string& where, int min, int max,
                              int& value)
{
    const auto field = owner.find(key);
    if (field == owner.end())
        return true;
    const std::string expected = "a whole number from " + std::to_string(min) + " to " + std::to_string(max);
    if (!field->is_number_integer())
        return failField(where, key, *field, expected);
    bool inRange = false;
    if (field->is_number_unsigned())
    {
        const std::uint64_t number = field->get<std::uint64_t>();
        inRange = number <= static_cast<std::uint64_t>(max) && (min <= 0 || number >= static_cast<std::uint64_t>(min));
    }
    else
    {
        const std::int64_t number = field->get<std::int64_t>();
        inRange = number >= min && number <= max;
    }
    if (!inRange)
        return failField(where, key, *field, expected);
    value = static_cast<int>(field->get<std::int64_t>());
    return true;
}

bool TiledJsonReader::readRequiredInt(const Json& owner, const char* key, const std::string& where, int min,
                                      int max, int& value)
{
    if (!owner.contains(key))
        return fail(where + " has no " + quote(key));
    return readInt(owner, key, where, min, max, value);
}

bool TiledJsonReader::readString(const Json& owner, const char* key, const std::string& where, std::string& value)
{
    const auto field = owner.find(key);
    if (field == owner.end())
        return true;
    if (!field->is_string())
        return failField(where, key, *field, "text");
    value = field->get<std::string>();
    return true;
}

bool TiledJsonReader::readNumber(const Json& owner, const char* key, const std::string& where, double min,
                                 double max, float& value)
{
    const auto field = owner.find(key);
    if (field == owner.end())
        return true;
    const std::string expected = "a number from " + describeNumber(min) + " to " + describeNumber(max);
    if (!field->is_number())
        return failField(where, key, *field, expected);
    const double number = field->get<double>();
    if (!std::isfinite(number) || number < min || number > max)
        return failField(where, key, *field, expected);
    value = static_cast<float>(number);
    return true;
}

bool TiledJsonReader::readColor(const Json& owner, const char* key, const std::string& where, bool& isSet,
                                std::uint32_t& rgb)
{
    const auto field = owner.find(key);
    if (field == owner.end())
        return true;
    if (!field->is_string() || !parseRgb(field->get<std::string>(), rgb))
        return failField(where, key, *field, "a colour like \"#ff00ff\"");
    isSet = true;
    return true;
}

bool TiledJsonReader::failField(const std::string& where, const char* key, const Json& value,
                                const std::string& expected)
{
    return fail(where + " " + quote(key) + " is " + describe(value) + "; expected " + expected);
}

bool TiledJsonReader::fail(std::string reason)
{
    m_error = shorten(std::move(reason), MaxReasonLength);
    m_reasons.push_back(m_error);
    m_malformed = true;
    return false;
}

bool TiledJsonReader::unsupported(std::string reason)
{
    m_reasons.push_back(shorten(std::move(reason), MaxReasonLength));
    return true;
}

void TiledJsonReader::noteCompressedLayers()
{
    for (const auto& [compression, layers] : m_compressedLayers)
    {
        // "layer \"Ground\"", or "layers \"Ground\" and \"Fringe\"" for more.
        const std::string single = "layer ";
        std::string names = layers.size() > 1 ? "layers " : single;
        for (std::size_t i = 0; i < layers.size(); ++i)
        {
            const bool named = layers[i].compare(0, single.size(), single) == 0;
            names += (i == 0 ? "" : i + 1 == layers.size() ? " and " : ", ") +
                     (named ? layers[i].substr(single.size()) : layers[i]);
        }
        unsupported(names + (layers.size() > 1 ? " hold " : " holds ") + compression +
                    " compressed tile data, which is not supported; save " + (layers.size() > 1 ? "them" : "it") +
                    " with the tile layer format \"CSV\" or \"Base64 (uncompressed)\"");
    }
}

void TiledJsonReader::noteTemplates()
{
    if (m_templateObjects == 0)
        return;
    unsupported("has " + std::to_string(m_templateObjects) + (m_templateObjects == 1 ? " object" : " objects") +
                " made from a template (the first from " + m_firstTemplate +
                "), which the game does not read; detach them in the editor (select them, then \"Detach\" "
                "in the context menu), or export the map with the export option \"Detach templates\"");
}

} // namespace zelk
