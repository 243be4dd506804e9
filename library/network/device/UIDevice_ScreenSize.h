#pragma once
// The class of the device's screen: the three tall phone screens by their height in points, and
// tablets apart.

#include "platform/graphics/CGGeometry.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIDevice.h"

#include <cstdint>

namespace UIDevice_ScreenSize {

inline constexpr std::int64_t kScreenSizeOther = 0;
inline constexpr std::int64_t kScreenSize568 = 1;
inline constexpr std::int64_t kScreenSize667 = 2;
inline constexpr std::int64_t kScreenSize736 = 3;
inline constexpr std::int64_t kScreenSizePad = 4;

// In landscape the screen's height is its bounds' width.
std::int64_t screenSizeType(UIUserInterfaceIdiom idiom, CGSize bounds, UIInterfaceOrientation statusBarOrientation);
// The current device, its main screen and the status bar.
std::int64_t screenSizeType(const std::shared_ptr<UIDevice>& device);

} // namespace UIDevice_ScreenSize
