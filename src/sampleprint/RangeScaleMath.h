#pragma once

// The arithmetic of the two-thumb range scale, without a window: where a
// value puts a thumb, which value a thumb's place reads, and how a dragged
// thumb follows the mouse. Positions are x coordinates of the scale's own
// rectangle; a thumb is kThumbWidth pixels wide and its place is its left
// edge, from `left` to `right - kThumbWidth`.
namespace RangeScaleMath {

constexpr int kThumbWidth = 10;

struct Track {
    int left = 0;
    int right = 0;
    int minValue = -100;
    int maxValue = 100;
};

// The value limited to the scale's range.
int Limit(const Track& track, int value);

// The thumb's left edge for a value of the range (limited first). A track
// without room or a range of one value puts every thumb at `left`.
int ThumbLeft(const Track& track, int value);

// The value a thumb reads at that left edge (integer division, as the
// thumb's place was computed); the range's minimum on a track without room.
int ValueAt(const Track& track, int thumbLeft);

// One mouse move of a held thumb. The thumb moves by the pointer's change
// since the remembered x, limited to the track. The remembered x moves with
// the thumb: while the thumb stands at a limit, the pointer can go on and
// come back without moving it, until it is back where the thumb stopped
// following it.
struct Drag {
    int thumbLeft = 0;
    int anchorX = 0;
};
Drag MoveDrag(const Track& track, Drag drag, int mouseX);

} // namespace RangeScaleMath
