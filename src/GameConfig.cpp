#include "GameConfig.h"

namespace zelk
{

const char* const GameConfig::DEFAULT_TITLE = "Bramblot - a two-player arena";

} // namespace zelk
