#include "IEvent.h"

namespace zelk
{

IEvent::~IEvent() = default;

} // namespace zelk
