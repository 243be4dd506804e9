#include "framework/Source/PELegendEntry.h"

#include "framework/Source/PEPlatformSpecificAttributedStringExtensions.h"
#include "framework/Source/PEPlot.h"
#include "framework/Source/PETextStyle.h"
#include "framework/Source/PETextStyleExtensions.h"
#include "framework/Source/PEUtilities.h"
#include "platform/text/NSStringDrawing.h"

#include <cmath>

NSString PELegendEntry::title() const
{
    auto owner = plot();
    return owner ? owner->titleForLegendEntryAtIndex(m_index) : NSString();
}

std::shared_ptr<NSAttributedString> PELegendEntry::attributedTitle() const
{
    auto owner = plot();
    return owner ? owner->attributedTitleForLegendEntryAtIndex(m_index) : nullptr;
}

CGSize PELegendEntry::titleSize() const
{
    auto attributed = attributedTitle();
    if (attributed && attributed->length() > 0) {
        CGSize size = NSStringDrawing::size(attributed);
        return CGSize { std::ceil(size.width), std::ceil(size.height) };
    }
    NSString text = attributed ? attributed->string() : title();
    if (text.isNil() || !m_textStyle)
        return CGSizeZero;
    return PETextStyleExtensions::sizeWithTextStyle(text, m_textStyle);
}

void PELegendEntry::drawTitleInRect(CGRect rect, const CGContextRef& context, CGFloat scale) const
{
    if (!context)
        return;
    CGContextSaveGState(context);
    CGContextTranslateCTM(context, 0, CGRectGetMinY(rect));
    CGContextScaleCTM(context, 1, -1);
    CGContextTranslateCTM(context, 0, -CGRectGetMaxY(rect));
    CGSize size = titleSize();
    if (size.height < rect.size.height) {
        CGFloat inset = (rect.size.height - size.height) / 2;
        // Rounded down to whole device pixels, so the rectangle never becomes shorter than the
        // title: the last visible line would be cut otherwise.
        inset = scale > 0 && scale != 1 ? std::floor(inset * scale) / scale : std::floor(inset);
        rect = CGRectInset(rect, 0, inset);
    }
    auto attributed = attributedTitle();
    if (attributed && attributed->length() > 0) {
        PEPlatformSpecificAttributedStringExtensions::drawInRect(*attributed, rect, context);
    } else {
        NSString text = attributed ? attributed->string() : title();
        if (!text.isNil())
            PETextStyleExtensions::drawInRect(text, rect, m_textStyle, context);
    }
    CGContextRestoreGState(context);
}

void PELegendEntry::encodeWithCoder(NSCoder& coder) const
{
    coder.encodeConditionalObject(plot(), "PELegendEntry.plot");
    coder.encodeInteger(static_cast<NSInteger>(m_index), "PELegendEntry.index");
    coder.encodeInteger(static_cast<NSInteger>(m_row), "PELegendEntry.row");
    coder.encodeInteger(static_cast<NSInteger>(m_column), "PELegendEntry.column");
    coder.encodeObject(m_textStyle, "PELegendEntry.textStyle");
}

bool PELegendEntry::init(NSCoder& coder)
{
    m_plot = coder.decodeWeakObjectOfClass<PEPlot>("PELegendEntry.plot");
    auto decodeCount = [&](const char* key) {
        NSInteger value = coder.decodeIntegerForKey(key);
        return value < 0 ? NSUInteger { 0 } : static_cast<NSUInteger>(value);
    };
    m_index = decodeCount("PELegendEntry.index");
    m_row = decodeCount("PELegendEntry.row");
    m_column = decodeCount("PELegendEntry.column");
    m_textStyle = coder.decodeObjectOfClass<PETextStyle>("PELegendEntry.textStyle");
    return true;
}
