#include "app/charts/DCLineChartViewComponent.h"

#include <cstring>

bool DCLineChartViewComponent::isSingleFloatingFormat(const NSString& format)
{
    if (format.isNil())
        return false;
    const std::string text = format.UTF8String();
    int conversions = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%')
            continue;
        ++i;
        if (i < text.size() && text[i] == '%')
            continue;
        while (i < text.size() && std::strchr("-+ #0", text[i]))
            ++i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
            ++i;
        if (i < text.size() && text[i] == '.') {
            ++i;
            while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
                ++i;
        }
        if (i >= text.size() || !std::strchr("fFeEgGaA", text[i]))
            return false;
        ++conversions;
    }
    return conversions == 1;
}

bool DCLineChartViewComponent::setLabelFormat(const NSString& format)
{
    if (!isSingleFloatingFormat(format))
        return false;
    m_labelFormat = format.copy();
    return true;
}
