#include "platform/foundation/NSTextCheckingResult.h"

#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSTimeZone.h"

std::shared_ptr<NSTextCheckingResult> NSTextCheckingResult::make(NSTextCheckingType type, NSRange range)
{
    auto result = create();
    result->m_type = type;
    result->m_ranges.push_back(range);
    return result;
}

std::shared_ptr<NSTextCheckingResult> NSTextCheckingResult::regularExpressionCheckingResultWithRanges(std::vector<NSRange> ranges,
    const std::shared_ptr<const NSRegularExpression>& regularExpression)
{
    auto result = create();
    result->m_type = NSTextCheckingTypeRegularExpression;
    result->m_ranges = std::move(ranges);
    result->m_regularExpression = regularExpression;
    return result;
}

std::shared_ptr<NSTextCheckingResult> NSTextCheckingResult::linkCheckingResultWithRange(NSRange range, const id& URL)
{
    auto result = make(NSTextCheckingTypeLink, range);
    result->m_URL = URL;
    return result;
}

std::shared_ptr<NSTextCheckingResult> NSTextCheckingResult::linkCheckingResultWithRange(NSRange range, const NSString& URLString)
{
    auto result = make(NSTextCheckingTypeLink, range);
    result->m_URLString = URLString;
    return result;
}

std::shared_ptr<NSTextCheckingResult> NSTextCheckingResult::addressCheckingResultWithRange(NSRange range,
    const std::shared_ptr<NSDictionary>& components)
{
    auto result = make(NSTextCheckingTypeAddress, range);
    result->m_components = components;
    return result;
}

std::shared_ptr<NSTextCheckingResult> NSTextCheckingResult::phoneNumberCheckingResultWithRange(NSRange range, const NSString& phoneNumber)
{
    auto result = make(NSTextCheckingTypePhoneNumber, range);
    result->m_phoneNumber = phoneNumber;
    return result;
}

std::shared_ptr<NSTextCheckingResult> NSTextCheckingResult::dateCheckingResultWithRange(NSRange range, const std::shared_ptr<NSDate>& date)
{
    auto result = make(NSTextCheckingTypeDate, range);
    result->m_date = date;
    return result;
}

std::shared_ptr<NSTextCheckingResult> NSTextCheckingResult::dateCheckingResultWithRange(NSRange range, const std::shared_ptr<NSDate>& date,
    const std::shared_ptr<NSTimeZone>& timeZone, NSTimeInterval duration)
{
    auto result = dateCheckingResultWithRange(range, date);
    result->m_timeZone = timeZone;
    result->m_duration = duration;
    return result;
}

std::shared_ptr<NSTextCheckingResult> NSTextCheckingResult::transitInformationCheckingResultWithRange(NSRange range,
    const std::shared_ptr<NSDictionary>& components)
{
    auto result = make(NSTextCheckingTypeTransitInformation, range);
    result->m_components = components;
    return result;
}

NSRange NSTextCheckingResult::rangeAtIndex(NSUInteger index) const
{
    return index < m_ranges.size() ? m_ranges[index] : NSRange { NSNotFound, 0 };
}

NSString NSTextCheckingResult::URLString() const
{
    if (m_URLString)
        return m_URLString;
    return m_URL ? m_URL->description() : NSString();
}

std::shared_ptr<NSTextCheckingResult> NSTextCheckingResult::resultByAdjustingRangesWithOffset(NSInteger offset) const
{
    auto result = create();
    result->m_type = m_type;
    result->m_ranges = m_ranges;
    for (NSRange& range : result->m_ranges) {
        if (range.location != NSNotFound)
            range.location = static_cast<NSUInteger>(static_cast<NSInteger>(range.location) + offset);
    }
    result->m_regularExpression = m_regularExpression;
    result->m_URL = m_URL;
    result->m_URLString = m_URLString;
    result->m_components = m_components;
    result->m_phoneNumber = m_phoneNumber;
    result->m_date = m_date;
    result->m_timeZone = m_timeZone;
    result->m_duration = m_duration;
    return result;
}

NSString NSTextCheckingResult::description() const
{
    const NSRange found = range();
    return NSString::stringWithFormat("<NSTextCheckingResult type %llu {%lu, %lu}%s%@>", static_cast<unsigned long long>(m_type),
        static_cast<unsigned long>(found.location), static_cast<unsigned long>(found.length),
        m_type == NSTextCheckingTypeLink ? " " : "", m_type == NSTextCheckingTypeLink ? URLString() : NSString(""));
}
