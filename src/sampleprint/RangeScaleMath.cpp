#include "sampleprint/RangeScaleMath.h"

#include <algorithm>
#include <cstdint>

namespace RangeScaleMath {

namespace {

int Room(const Track& track) {
    return track.right - track.left - kThumbWidth;
}

} // namespace

int Limit(const Track& track, int value) {
    const int low = std::min(track.minValue, track.maxValue);
    const int high = std::max(track.minValue, track.maxValue);
    return std::clamp(value, low, high);
}

int ThumbLeft(const Track& track, int value) {
    const std::int64_t span = std::int64_t(track.maxValue) - track.minValue;
    if (span <= 0 || Room(track) <= 0) return track.left;
    const std::int64_t offset = std::int64_t(Limit(track, value)) - track.minValue;
    return track.left + static_cast<int>(std::int64_t(Room(track)) * offset / span);
}

int ValueAt(const Track& track, int thumbLeft) {
    if (Room(track) <= 0) return track.minValue;
    const std::int64_t span = std::int64_t(track.maxValue) - track.minValue;
    const std::int64_t along = std::clamp(thumbLeft, track.left, track.right - kThumbWidth) - track.left;
    return static_cast<int>(span * along / Room(track) + track.minValue);
}

Drag MoveDrag(const Track& track, Drag drag, int mouseX) {
    const int highest = std::max(track.left, track.right - kThumbWidth);
    const int wanted = drag.thumbLeft + (mouseX - drag.anchorX);
    const int placed = std::clamp(wanted, track.left, highest);
    // The pointer's offset from the thumb is kept: it changes only by what
    // the limit held back.
    drag.anchorX += placed - drag.thumbLeft;
    drag.thumbLeft = placed;
    return drag;
}

} // namespace RangeScaleMath
