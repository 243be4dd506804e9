#pragma once
// How far apart the picker tests turn a wheel a row: several turns in one frame, one before the
// turn ahead of it drew its first frame, one at that frame, while it turns, in its last frames,
// just after it rests, and long after. Each turn moves the clock a little more than the one
// before, so that a run of turns lands all over the display's frame.

namespace picker_turns {

inline constexpr double kSpacings[] = { 0, 0.0005, 1.0 / 60, 0.05, 0.15, 0.29, 0.301, 1.2 };
// A third of a millisecond a turn: 46 turns sweep a whole frame of 1/60 s.
inline constexpr double kDrift = 0.00037;
inline constexpr int kTurnsAcrossAFrame = 46;

// The clock moved after the turn-th turn at the spacing.
inline double after(double spacing, int turn) { return spacing + kDrift * turn; }

} // namespace picker_turns
