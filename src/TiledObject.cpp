#include "TiledObject.h"

namespace zelk
{

const TiledProperty* TiledObject::findProperty(const std::string& propertyName) const
{
    for (const TiledProperty& property : properties)
    {
        if (property.name == propertyName)
            return &property;
    }
    return nullptr;
}

} // namespace zelk
