#include "platform/text/TextColor.h"

std::optional<std::array<CGFloat, 4>> TextColor::rgbaOfColorValue(const id& value)
{
    if (auto color = ns::cast<::CGColor>(value))
        return color->rgba();
    if (auto provider = std::dynamic_pointer_cast<CGColorProviding>(value)) {
        if (auto color = provider->CGColor())
            return color->rgba();
    }
    return std::nullopt;
}
