#include "TiledProperty.h"

namespace zelk
{

const char* toString(TiledPropertyType type)
{
    switch (type)
    {
    case TiledPropertyType::String:
        return "string";
    case TiledPropertyType::Int:
        return "int";
    case TiledPropertyType::Float:
        return "float";
    case TiledPropertyType::Bool:
        return "bool";
    case TiledPropertyType::Color:
        return "color";
    case TiledPropertyType::File:
        return "file";
    case TiledPropertyType::Object:
        return "object";
    case TiledPropertyType::Class:
        return "class";
    }
    return "unknown";
}

} // namespace zelk
