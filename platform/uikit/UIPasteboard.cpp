#include "platform/uikit/UIPasteboard.h"

std::shared_ptr<UIPasteboard> UIPasteboard::generalPasteboard()
{
    static const auto general = create(NSString(UIPasteboardNameGeneral));
    return general;
}

NSInteger UIPasteboard::changeCount() const
{
    std::lock_guard lock(m_mutex);
    return m_changeCount;
}

NSString UIPasteboard::string() const
{
    std::lock_guard lock(m_mutex);
    return m_strings.empty() ? NSString() : m_strings.front();
}

void UIPasteboard::setString(const NSString& string)
{
    setStrings(std::vector<NSString> { string });
}

std::vector<NSString> UIPasteboard::strings() const
{
    std::lock_guard lock(m_mutex);
    return m_strings;
}

void UIPasteboard::setStrings(const std::vector<NSString>& strings)
{
    std::vector<NSString> kept;
    for (const auto& string : strings) {
        if (!string.isNil())
            kept.push_back(string);
    }
    std::lock_guard lock(m_mutex);
    m_strings = std::move(kept);
    ++m_changeCount;
}

NSInteger UIPasteboard::numberOfItems() const
{
    std::lock_guard lock(m_mutex);
    return NSInteger(m_strings.size());
}
