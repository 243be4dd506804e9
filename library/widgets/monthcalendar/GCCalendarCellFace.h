#pragma once
// The face the day cells share: a button with the day's number on the light cell picture, white
// on the blue one when selected.

#include "platform/uikit/UIButton.h"

namespace GCCalendarCellFace {

UIButtonRef makeButton(CGRect frame);

} // namespace GCCalendarCellFace
