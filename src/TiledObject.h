#pragma once
// One object of a map's object layer: an axis-aligned rectangle with a class and custom properties.

#include "TiledProperty.h"

#include <string>
#include <vector>

namespace zelk
{

class TiledObject
{
public:
    int id = 0;
    std::string name;
    // The object's "type" in the file, or its "class" where the editor wrote that instead.
    std::string className;
    // Pixels; the reader keeps them within +-16777216, where every whole number is exact as float.
    float x = 0;
    float y = 0;
    float width = 0;
    float height = 0;
    std::vector<TiledProperty> properties;
};

} // namespace zelk
