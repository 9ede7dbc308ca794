#include "Animation.h"

namespace zelk
{

int Animation::frameCount() const
{
    return static_cast<int>(frames.size());
}

bool Animation::isLastFrame(int frameIndex) const
{
    return frameIndex >= frameCount() - 1;
}

} // namespace zelk
