#include "library/widgets/minutescalendar/MCCalendarView.h"

#include "library/widgets/minutescalendar/NSDate_Convenience.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/NSDateFormatter.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/TypedValues.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/text/UIFont.h"
#include "platform/text/UIStringDrawing.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UITouch.h"

#include <cctype>
#include <cmath>
#include <optional>

namespace {

constexpr CGFloat kHeader = 60;
constexpr CGFloat kRow = 46;

// The calendar's colours, written as hexadecimal text with or without "0x".
UIColorRef hexColor(std::string text)
{
    for (auto& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (text.size() > 5 && text.rfind("0X", 0) == 0)
        text = text.substr(2);
    const auto channel = [&](int at) { return static_cast<CGFloat>(std::stoi(text.substr(at, 2), nullptr, 16)) / 255.0; };
    return UIColor::colorWithRed(channel(0), channel(2), channel(4), 1);
}

CGFloat screenWidth() { return UIScreen::mainScreen()->bounds().size.width; }
CGFloat columnWidth() { return (screenWidth() - 12) / 7 + 2; }

// A mark's day of month: a number as it stands, a date by its day; nothing for anything else.
std::optional<int> markDay(const id& value)
{
    if (auto number = ns::cast<NSNumber>(value))
        return number->intValue();
    if (auto date = ns::cast<NSDate>(value))
        return NSDate_Convenience::day(date);
    return std::nullopt;
}

void drawCentred(const NSString& text, CGRect rect, const UIFontRef& font, const UIColorRef& colour)
{
    colour->setFill();
    UIStringDrawing::drawInRect(text, rect, font, NSLineBreakByClipping, NSTextAlignmentCenter);
}

} // namespace

MCCalendarView::~MCCalendarView()
{
    DelayedPerform::cancelPreviousPerformRequestsWithTarget(static_cast<const NSObject*>(this));
}

void MCCalendarView::init(CGPoint origin)
{
    UIView::init(CGRectMake(origin.x, origin.y, screenWidth(), 0));
    setContentMode(UIViewContentMode::Top);
    setClipsToBounds(true);
    m_labelCurrentMonth = UILabel::create(CGRectMake(34, 0, screenWidth() - 68, 40));
    m_labelCurrentMonth->setBackgroundColor(UIColor::whiteColor());
    m_labelCurrentMonth->setFont(UIFont::fontWithName("HelveticaNeue-Bold", 17));
    m_labelCurrentMonth->setTextColor(hexColor("0x383838"));
    m_labelCurrentMonth->setTextAlignment(NSTextAlignmentCenter);
    addSubview(m_labelCurrentMonth);
    std::weak_ptr<MCCalendarView> weakSelf = self();
    DelayedPerform::performSelector(self(), "reset:", nullptr, 0.1, [weakSelf] {
        if (auto protectedSelf = weakSelf.lock())
            protectedSelf->reset(NSDate::date());
    });
}

NSInteger MCCalendarView::recordIndexOfCurrentMonth() const
{
    if (!m_dataArray || !m_currentMonth)
        return -1;
    const NSString shown = NSDate_Convenience::stringFromDate(m_currentMonth, "yyyy-MM");
    for (NSUInteger i = 0; i < m_dataArray->count(); ++i) {
        auto record = ns::dictionaryValue(m_dataArray->objectAtIndex(i));
        if (record && ns::stringForKey(record, "MONTH").isEqualToString(shown))
            return static_cast<NSInteger>(i);
    }
    return -1;
}

void MCCalendarView::buildMarks(const std::shared_ptr<NSDictionary>& record, const std::shared_ptr<NSDate>& month)
{
    auto marks = NSMutableArray::array();
    auto colours = NSMutableArray::array();
    const int year = NSDate_Convenience::year(month);
    const int monthNumber = NSDate_Convenience::month(month);
    auto days = ns::arrayForKey(record, "INFO");
    for (NSUInteger i = 0; days && i < days->count(); ++i) {
        auto item = ns::dictionaryValue(days->objectAtIndex(i));
        auto date = NSDate_Convenience::dateFromString(ns::stringForKey(item, "RECORDDATE"), "yyyy-MM-dd");
        if (!date || NSDate_Convenience::year(date) != year || NSDate_Convenience::month(date) != monthNumber)
            continue;
        id minutes = item->objectForKey(NSString("ALLEFFECTTIME"));
        auto mark = NSMutableDictionary::dictionary();
        mark->setObject(NSNumber::numberWithInt(NSDate_Convenience::day(date)), NSString("day"));
        mark->setObject(NSString::stringWithFormat("%@分钟", minutes ? ns::textOf(minutes) : NSString("")), NSString("text"));
        marks->addObject(mark);
        colours->addObject(UIColor::whiteColor());
    }
    m_markedDates = marks;
    m_markedColors = colours;
}

void MCCalendarView::reset(const std::shared_ptr<NSDate>& date)
{
    if (!date)
        return;
    // The owner's month wins over the calendar's own first showing of today.
    if (m_firstResetPending) {
        m_firstResetPending = false;
        DelayedPerform::cancelPreviousPerformRequestsWithTarget(static_cast<const NSObject*>(this), "reset:", nullptr);
    }
    m_currentMonth = NSDate_Convenience::dateStartOfDay(date);
    if (m_dataArray) {
        const NSInteger index = recordIndexOfCurrentMonth();
        if (index >= 0) {
            buildMarks(ns::dictionaryValue(m_dataArray->objectAtIndex(static_cast<NSUInteger>(index))), m_currentMonth);
        } else {
            m_markedDates = nullptr;
            m_markedColors = nullptr;
        }
    }
    updateSize();
    setNeedsDisplay();
    if (auto delegate = m_delegate.lock())
        delegate->calendarViewSwitchedToMonth(*this, NSDate_Convenience::month(m_currentMonth), calendarHeight(), false);
}

void MCCalendarView::showNextMonth() { switchMonth(true); }
void MCCalendarView::showPreviousMonth() { switchMonth(false); }

void MCCalendarView::switchMonth(bool next)
{
    if (m_isAnimating || !m_currentMonth)
        return;
    std::shared_ptr<NSDate> target;
    std::shared_ptr<NSDictionary> neighbour;
    const NSInteger index = recordIndexOfCurrentMonth();
    if (index >= 0) {
        const NSInteger other = index + (next ? 1 : -1);
        if (other < 0 || other >= static_cast<NSInteger>(m_dataArray->count()))
            return;
        neighbour = ns::dictionaryValue(m_dataArray->objectAtIndex(static_cast<NSUInteger>(other)));
        target = NSDate_Convenience::dateFromString(NSString::stringWithFormat("%@-01", ns::stringForKey(neighbour, "MONTH")), "yyyy-MM-dd");
        if (!target)
            return;
        target = NSDate_Convenience::dateStartOfDay(target);
        buildMarks(neighbour, target);
    } else {
        target = NSDate_Convenience::offsetMonth(m_currentMonth, next ? 1 : -1);
        m_markedDates = nullptr;
    }

    m_isAnimating = true;
    (next ? m_prepAnimationNextMonth : m_prepAnimationPreviousMonth) = true;
    setNeedsDisplay();
    const int outgoingFirst = NSDate_Convenience::firstWeekDayInMonth(m_currentMonth);
    const int outgoingDays = NSDate_Convenience::numDaysInMonth(m_currentMonth);
    const int outgoingRows = numRows();
    const CGFloat outgoingHeight = calendarHeight();
    auto imageA = drawCurrentState();

    m_currentMonth = target;
    if (auto delegate = m_delegate.lock())
        delegate->calendarViewSwitchedToMonth(*this, NSDate_Convenience::month(m_currentMonth), calendarHeight(), true);

    m_prepAnimationNextMonth = m_prepAnimationPreviousMonth = false;
    setNeedsDisplay();
    auto imageB = drawCurrentState();
    const CGFloat incomingHeight = calendarHeight();

    auto container = UIView::create(CGRectMake(0, kHeader, screenWidth(), std::max(outgoingHeight, incomingHeight) - kHeader));
    container->setClipsToBounds(true);
    addSubview(container);
    m_animationView_A = UIImageView::create(imageA);
    m_animationView_B = UIImageView::create(imageB);
    container->addSubview(m_animationView_A);
    container->addSubview(m_animationView_B);
    CGRect a = m_animationView_A->frame();
    CGRect b = m_animationView_B->frame();
    const bool lastRowFull = outgoingDays + outgoingFirst - 1 == outgoingRows * 7;
    const bool startsOnMonday = outgoingFirst == 1;
    if (next)
        b.origin.y = a.origin.y + a.size.height - (lastRowFull ? 3 : 47);
    else
        b.origin.y = a.origin.y - b.size.height + (startsOnMonday ? 3 : 47);
    m_animationView_B->setFrame(b);

    std::weak_ptr<MCCalendarView> weakSelf = self();
    auto viewA = m_animationView_A;
    auto viewB = m_animationView_B;
    UIView::animateWithDuration(0.35,
        [weakSelf, viewA, viewB, next, lastRowFull, startsOnMonday] {
            auto protectedSelf = weakSelf.lock();
            if (!protectedSelf)
                return;
            protectedSelf->updateSize();
            CGRect a = viewA->frame();
            CGRect b = viewB->frame();
            if (next)
                a.origin.y = (lastRowFull ? 3 : 47) - a.size.height;
            else
                a.origin.y = b.size.height - (startsOnMonday ? 3 : 47);
            b.origin.y = 0;
            viewA->setFrame(a);
            viewB->setFrame(b);
        },
        [weakSelf, viewA, viewB, container](bool) {
            viewA->removeFromSuperview();
            viewB->removeFromSuperview();
            container->removeFromSuperview();
            auto protectedSelf = weakSelf.lock();
            if (!protectedSelf)
                return;
            protectedSelf->m_animationView_A = nullptr;
            protectedSelf->m_animationView_B = nullptr;
            protectedSelf->m_isAnimating = false;
            if (auto delegate = protectedSelf->m_delegate.lock())
                delegate->calendarViewReset(*protectedSelf);
        });
}

void MCCalendarView::touchesBegan(const UITouchSet& touches, const UIEventRef&)
{
    auto touch = touches.anyObject();
    if (!touch || !m_currentMonth)
        return;
    const CGPoint point = touch->locationInView(self());
    m_selectedDate = nullptr;
    if (point.y > kHeader) {
        const float column = std::floor(static_cast<float>(point.x) / static_cast<float>(columnWidth()));
        const float row = std::floor(static_cast<float>(point.y - kHeader) / static_cast<float>(kRow));
        selectDate(static_cast<int>(column + row * 7) + 2 - NSDate_Convenience::firstWeekDayInMonth(m_currentMonth));
        return;
    }
    // The marks stay until the month really changes: a switch brings the new month's own.
    if (CGRectContainsPoint(CGRectMake(0, 0, 50, 40), point))
        showPreviousMonth();
    else if (CGRectContainsPoint(CGRectMake(frame().size.width - 50, 0, 50, 40), point))
        showNextMonth();
}

void MCCalendarView::selectDate(int day)
{
    if (!m_currentMonth)
        return;
    m_selectedDate = NSDate_Convenience::dateWithYearMonthDay(NSDate_Convenience::year(m_currentMonth), NSDate_Convenience::month(m_currentMonth), day);
    if (NSDate_Convenience::year(m_selectedDate) == NSDate_Convenience::year(m_currentMonth)
        && NSDate_Convenience::month(m_selectedDate) == NSDate_Convenience::month(m_currentMonth))
        setNeedsDisplay();
    if (auto delegate = m_delegate.lock())
        delegate->calendarViewDateSelected(*this, m_selectedDate);
}

void MCCalendarView::markDates(const std::shared_ptr<NSArray>& marks)
{
    auto colours = NSMutableArray::array();
    for (NSUInteger i = 0; marks && i < marks->count(); ++i)
        colours->addObject(hexColor("0x383838"));
    markDates(marks, colours);
}

void MCCalendarView::markDates(const std::shared_ptr<NSArray>& marks, const std::shared_ptr<NSArray>& colors)
{
    m_markedDates = marks;
    m_markedColors = colors;
    setNeedsDisplay();
}

void MCCalendarView::updateSize()
{
    CGRect newFrame = frame();
    newFrame.size.height = calendarHeight();
    setFrame(newFrame);
    setNeedsDisplay();
}

int MCCalendarView::numRows() const
{
    if (!m_currentMonth)
        return 0;
    const float cells = static_cast<float>(NSDate_Convenience::numDaysInMonth(m_currentMonth) + NSDate_Convenience::firstWeekDayInMonth(m_currentMonth) - 1);
    return static_cast<int>(std::ceil(cells / 7.0f));
}

UIImageRef MCCalendarView::drawCurrentState()
{
    UIGraphicsBeginImageContextWithOptions(CGSizeMake(screenWidth(), calendarHeight() - kHeader), false, 1);
    auto context = UIGraphicsGetCurrentContext();
    CGContextTranslateCTM(context, 0, -kHeader);
    drawRect(bounds());
    UIImageRef image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return image;
}

void MCCalendarView::drawRect(CGRect rect)
{
    auto context = UIGraphicsGetCurrentContext();
    if (!context || !m_currentMonth)
        return;
    const CGFloat W = screenWidth();
    const CGFloat w = frame().size.width;
    const CGFloat cw = columnWidth();
    const int rows = numRows();

    auto gregorian = NSDate_Convenience::gregorian();
    auto titleFormatter = NSDateFormatter::create();
    titleFormatter->setCalendar(gregorian);
    titleFormatter->setDateFormat("yyyy MMMM");
    m_labelCurrentMonth->setText(titleFormatter->stringFromDate(m_currentMonth));
    m_labelCurrentMonth->sizeToFit();
    CGRect title = m_labelCurrentMonth->frame();
    title.origin.x = std::round(static_cast<float>(w * 0.5 - title.size.width * 0.5));
    title.origin.y = 10;
    m_labelCurrentMonth->setFrame(title);

    CGContextClearRect(context, rect);
    CGContextSetFillColorWithColor(context, UIColor::whiteColor()->CGColor());
    CGContextFillRect(context, CGRectMake(0, 0, w, kHeader));

    CGContextSetFillColorWithColor(context, UIColor::blackColor()->CGColor());
    CGContextMoveToPoint(context, 28, 18);
    CGContextAddLineToPoint(context, 28, 30);
    CGContextAddLineToPoint(context, 20, 24);
    CGContextClosePath(context);
    CGContextFillPath(context);
    CGContextMoveToPoint(context, w - 28, 18);
    CGContextAddLineToPoint(context, w - 20, 24);
    CGContextAddLineToPoint(context, w - 28, 30);
    CGContextClosePath(context);
    CGContextFillPath(context);

    auto symbols = titleFormatter->shortWeekdaySymbols();
    auto dark = hexColor("0x383838");
    auto weekdayFont = UIFont::fontWithName("HelveticaNeue", 12);
    for (NSUInteger i = 0; symbols && i < 7 && symbols->count() == 7; ++i) {
        // Monday first: Sunday, the first symbol, goes last.
        const id symbol = symbols->objectAtIndex((i + 1) % 7);
        drawCentred(ns::textOf(symbol), CGRectMake(static_cast<CGFloat>(i) * cw, 40, cw, 20), weekdayFont, dark);
    }

    CGContextSetShouldAntialias(context, false);
    CGContextSetFillColorWithColor(context, hexColor("0xf3f3f3")->CGColor());
    CGContextFillRect(context, CGRectMake(0, kHeader, w, rows * kRow + 1));
    const CGFloat bottom = rows * kRow + 61;
    CGContextSetStrokeColorWithColor(context, UIColor::whiteColor()->CGColor());
    CGContextMoveToPoint(context, 0, 61);
    CGContextAddLineToPoint(context, W, 61);
    for (int i = 1; i <= 6; ++i) {
        CGContextMoveToPoint(context, i * cw - 1, kHeader);
        CGContextAddLineToPoint(context, i * cw - 1, bottom);
        if (i <= rows - 1) {
            CGContextMoveToPoint(context, 0, 61 + kRow * i);
            CGContextAddLineToPoint(context, W, 61 + kRow * i);
        }
    }
    CGContextStrokePath(context);
    CGContextSetStrokeColorWithColor(context, hexColor("0xcfd4d8")->CGColor());
    CGContextMoveToPoint(context, 0, kHeader);
    CGContextAddLineToPoint(context, W, kHeader);
    for (int i = 1; i <= 6; ++i) {
        CGContextMoveToPoint(context, i * cw, kHeader);
        CGContextAddLineToPoint(context, i * cw, bottom);
        if (i <= rows - 1) {
            CGContextMoveToPoint(context, 0, kHeader + kRow * i);
            CGContextAddLineToPoint(context, W, kHeader + kRow * i);
        }
    }
    CGContextMoveToPoint(context, 0, bottom);
    CGContextAddLineToPoint(context, W, bottom);
    CGContextStrokePath(context);
    CGContextSetShouldAntialias(context, true);

    const int fwd = NSDate_Convenience::firstWeekDayInMonth(m_currentMonth);
    const int curDays = NSDate_Convenience::numDaysInMonth(m_currentMonth);
    const int prevDays = NSDate_Convenience::numDaysInMonth(NSDate_Convenience::offsetMonth(m_currentMonth, -1));
    const int shownYear = NSDate_Convenience::year(m_currentMonth);
    const int shownMonth = NSDate_Convenience::month(m_currentMonth);
    bool isPrev = m_prepAnimationPreviousMonth;
    bool isNext = m_prepAnimationNextMonth;
    int selectedIndex = -1;
    if (m_selectedDate) {
        const int y = NSDate_Convenience::year(m_selectedDate);
        const int m = NSDate_Convenience::month(m_selectedDate);
        const int d = NSDate_Convenience::day(m_selectedDate);
        if (y < shownYear || (y == shownYear && m < shownMonth)) {
            isPrev = true;
            selectedIndex = fwd - 2 - NSDate_Convenience::numDaysInMonth(m_selectedDate) + d;
        } else if (y > shownYear || (y == shownYear && m > shownMonth)) {
            isPrev = false;
            isNext = true;
            selectedIndex = fwd - 2 + curDays + d;
        } else {
            isPrev = isNext = false;
            selectedIndex = fwd - 2 + d;
        }
    }
    auto today = NSDate::date();
    const int todayIndex = NSDate_Convenience::year(today) == shownYear && NSDate_Convenience::month(today) == shownMonth
        ? fwd - 2 + NSDate_Convenience::day(today)
        : -1;

    // Each mark's day, read once.
    std::vector<std::optional<int>> markedDays;
    for (NSUInteger j = 0; m_markedDates && j < m_markedDates->count(); ++j)
        markedDays.push_back(markDay(ns::dictionaryValue(m_markedDates->objectAtIndex(j)) ? ns::dictionaryValue(m_markedDates->objectAtIndex(j))->objectForKey(NSString("day")) : nullptr));

    auto light = hexColor("aaaaaa");
    auto blue = hexColor("0x006dbc");
    auto numberFont = UIFont::fontWithName("HelveticaNeue-Bold", 17);
    for (int n = 0; n < rows * 7; ++n) {
        const int r = n / 7;
        const int k = n % 7;
        const CGFloat x = std::trunc(k * cw);
        const CGFloat y = kHeader + kRow * r;
        int number;
        UIColorRef colour;
        bool shown = false;
        if (n < fwd - 1) {
            number = prevDays - fwd + 2 + n;
            colour = isPrev ? dark : light;
        } else if (n >= curDays + fwd - 1) {
            number = n - curDays - fwd + 2;
            colour = isNext ? dark : light;
        } else {
            number = n - fwd + 2;
            colour = isPrev || isNext ? light : dark;
            shown = true;
        }
        bool marked = false;
        for (const auto& d : markedDays)
            marked = marked || (shown && d && *d == number);
        if (marked || n == todayIndex) {
            CGContextSetFillColorWithColor(context, (marked ? blue : dark)->CGColor());
            CGContextFillRect(context, CGRectMake(x, y, cw, kRow));
            colour = UIColor::whiteColor();
        }
        drawCentred(NSString::stringWithFormat("%i", number), CGRectMake(x + 2, y + 10, (W - 12) / 7, 44), numberFont, colour);
    }

    if (!m_markedDates || m_markedDates->count() == 0 || isPrev || isNext)
        return;
    auto markFont = UIFont::fontWithName("HelveticaNeue", 11);
    for (NSUInteger j = 0; j < m_markedDates->count(); ++j) {
        const auto& d = markedDays[j];
        if (!d || *d < 1 || *d > curDays)
            continue;
        const int index = fwd - 2 + *d;
        const int r = index / 7;
        const int k = index - 7 * r;
        UIColorRef colour;
        if ((m_selectedDate && index == selectedIndex) || index == todayIndex)
            colour = UIColor::whiteColor();
        else if (m_markedColors && j < m_markedColors->count() && ns::cast<UIColor>(m_markedColors->objectAtIndex(j)))
            colour = ns::cast<UIColor>(m_markedColors->objectAtIndex(j));
        else
            colour = dark;
        auto mark = ns::dictionaryValue(m_markedDates->objectAtIndex(j));
        drawCentred(ns::stringForKey(mark, "text"), CGRectMake(std::trunc(k * cw + 7), kRow * r + 90, 32, 21), markFont, colour);
    }
}
