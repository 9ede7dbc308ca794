#include "TiledTileset.h"

namespace zelk
{

bool TiledTileset::containsGid(std::uint32_t gid) const
{
    const std::int64_t first = firstGid;
    const std::int64_t id = gid;
    return tileCount > 0 && id >= first && id < first + tileCount;
}

} // namespace zelk
