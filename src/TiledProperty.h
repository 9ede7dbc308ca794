#pragma once
// One custom property of a map object as the editor stored it. The declared type is kept, so that
// readers can refuse a value of the wrong kind (a "file" path is not a "string").

#include <string>

namespace zelk
{

enum class TiledPropertyType
{
    String,
    Int,
    Float,
    Bool,
    Color,
    File,
    Object,
    Class
};

// The editor's name of a property type ("string", "int", ...), for messages.
const char* toString(TiledPropertyType type);

class TiledProperty
{
public:
    std::string name;
    TiledPropertyType type = TiledPropertyType::String;
    // String, Color ("#AARRGGBB" or empty), File (as written, relative to the map) and Class (raw JSON).
    std::string stringValue;
    // Int, and Object (the id of the referenced object, 0 for none).
    int intValue = 0;
    float floatValue = 0.f;
    bool boolValue = false;
};

} // namespace zelk
