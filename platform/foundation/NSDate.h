#pragma once
// A point in time, as seconds from the reference date 2001-01-01 00:00:00 UTC. The current date
// comes from the process clock (SystemClock), which tests drive by hand.

#include "platform/foundation/NSString.h"

inline constexpr NSTimeInterval NSTimeIntervalSince1970 = 978307200.0;

class NSDate : public NSObject {
    NS_OBJECT(NSDate, NSObject)
public:
    static std::shared_ptr<NSDate> date();
    static std::shared_ptr<NSDate> dateWithTimeIntervalSinceNow(NSTimeInterval seconds);
    static std::shared_ptr<NSDate> dateWithTimeIntervalSinceReferenceDate(NSTimeInterval seconds) { return create(seconds); }
    static std::shared_ptr<NSDate> dateWithTimeIntervalSince1970(NSTimeInterval seconds) { return create(seconds - NSTimeIntervalSince1970); }
    static std::shared_ptr<NSDate> dateWithTimeInterval(NSTimeInterval seconds, const std::shared_ptr<NSDate>& since);
    static std::shared_ptr<NSDate> distantFuture();
    static std::shared_ptr<NSDate> distantPast();
    static NSTimeInterval timeIntervalSinceReferenceDateNow();

    NSTimeInterval timeIntervalSinceReferenceDate() const { return m_seconds; }
    NSTimeInterval timeIntervalSince1970() const { return m_seconds + NSTimeIntervalSince1970; }
    NSTimeInterval timeIntervalSinceNow() const;
    NSTimeInterval timeIntervalSinceDate(const std::shared_ptr<NSDate>& other) const;
    std::shared_ptr<NSDate> dateByAddingTimeInterval(NSTimeInterval seconds) const { return create(m_seconds + seconds); }

    NSComparisonResult compare(const std::shared_ptr<NSDate>& other) const;
    bool isEqualToDate(const std::shared_ptr<NSDate>& other) const;
    std::shared_ptr<NSDate> earlierDate(const std::shared_ptr<NSDate>& other) const;
    std::shared_ptr<NSDate> laterDate(const std::shared_ptr<NSDate>& other) const;

    // "2015-06-01 08:30:00 +0000", as the platform logs dates.
    NSString description() const override;
    bool isEqual(const id& other) const override;
    NSUInteger hash() const override;
    id copy() const override;

protected:
    void init() { m_seconds = timeIntervalSinceReferenceDateNow(); }
    void init(NSTimeInterval secondsSinceReferenceDate) { m_seconds = secondsSinceReferenceDate; }

    NSTimeInterval m_seconds { 0 };
};
