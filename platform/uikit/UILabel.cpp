#include "platform/uikit/UILabel.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/text/TextLayout.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr CGFloat kUnbounded = CGFLOAT_MAX;
// A shrinking font never goes below this, whatever the minimums say.
constexpr CGFloat kSmallestFontSize = 1;

NSRange wholeRange(const std::shared_ptr<NSAttributedString>& text) { return NSMakeRange(0, text->length()); }

// The lines of the text within the size (a side of 0 or less is unbounded), at most lines of them
// (0: any number). Lines wrap in every break mode; a truncating mode cuts the last one shown.
TextLayout layOut(const std::shared_ptr<NSAttributedString>& text, CGSize size, NSInteger lines)
{
    TextLayout::Options options;
    options.size = CGSizeMake(size.width > 0 ? size.width : kUnbounded, size.height > 0 ? size.height : kUnbounded);
    options.wrapInEveryMode = true;
    options.keepsFirstLine = true;
    options.maximumLines = lines > 0 ? std::size_t(lines) : 0;
    // A label draws its lines and tells their size, never which characters they hold.
    options.placesOnly = true;
    return TextLayout(text, wholeRange(text), options);
}

CGFloat lowestBottomOf(const TextLayout& layout)
{
    CGFloat lowest = 0;
    for (const auto& placed : layout.lines())
        lowest = std::max(lowest, placed.origin.y + placed.line->descent());
    return lowest;
}

} // namespace

void UILabel::init(CGRect frame)
{
    super::init(frame);
    m_font = UIFont::systemFontOfSize(17);
    m_textColor = UIColor::blackColor();
    setUserInteractionEnabled(false);
    setContentMode(UIViewContentMode::Redraw);
}

NSString UILabel::text() const { return m_attributedText ? m_attributedText->string() : m_text; }

void UILabel::setText(const NSString& text)
{
    NSAssertMainThread();
    if (!m_attributedText && m_text == text && m_text.isNil() == text.isNil())
        return;
    m_text = text;
    m_attributedText = nullptr;
    textDidChange();
}

std::shared_ptr<NSAttributedString> UILabel::attributedText() const { return styledText(1); }

void UILabel::setAttributedText(const std::shared_ptr<NSAttributedString>& text)
{
    NSAssertMainThread();
    m_attributedText = text ? std::static_pointer_cast<NSAttributedString>(text->copy()) : nullptr;
    m_text = text ? text->string() : NSString();
    textDidChange();
}

void UILabel::textDidChange()
{
    layoutInputsDidChange();
    setNeedsDisplay();
    invalidateIntrinsicContentSize();
}

void UILabel::layoutInputsDidChange()
{
    m_naturalText.reset();
    m_fontScaleForWidth.reset();
    m_keptLayout.reset();
}

void UILabel::setFont(const UIFontRef& font)
{
    NSAssertMainThread();
    const UIFontRef chosen = font ? font : UIFont::systemFontOfSize(17);
    if (ns::isEqual(m_font, chosen))
        return;
    m_font = chosen;
    // As on the platform, a new font applies to the whole of attributed text.
    if (m_attributedText && m_attributedText->length()) {
        auto edited = m_attributedText->mutableCopyAttributedString();
        edited->addAttribute(NSFontAttributeName, m_font, wholeRange(edited));
        m_attributedText = edited;
    }
    textDidChange();
}

void UILabel::setTextColor(const UIColorRef& color)
{
    NSAssertMainThread();
    const UIColorRef chosen = color ? color : UIColor::blackColor();
    if (ns::isEqual(m_textColor, chosen))
        return;
    m_textColor = chosen;
    if (m_attributedText && m_attributedText->length()) {
        auto edited = m_attributedText->mutableCopyAttributedString();
        edited->addAttribute(NSForegroundColorAttributeName, m_textColor, wholeRange(edited));
        m_attributedText = edited;
    }
    layoutInputsDidChange();
    setNeedsDisplay();
}

void UILabel::setTextAlignment(NSTextAlignment alignment)
{
    NSAssertMainThread();
    if (m_textAlignment == alignment)
        return;
    m_textAlignment = alignment;
    layoutInputsDidChange();
    setNeedsDisplay();
}

void UILabel::setLineBreakMode(NSLineBreakMode mode)
{
    NSAssertMainThread();
    if (m_lineBreakMode == mode)
        return;
    m_lineBreakMode = mode;
    textDidChange();
}

void UILabel::setNumberOfLines(NSInteger lines)
{
    NSAssertMainThread();
    lines = std::max<NSInteger>(0, lines);
    if (m_numberOfLines == lines)
        return;
    m_numberOfLines = lines;
    textDidChange();
}

void UILabel::setShadowColor(const UIColorRef& color)
{
    NSAssertMainThread();
    if (ns::isEqual(m_shadowColor, color))
        return;
    m_shadowColor = color;
    setNeedsDisplay();
}

void UILabel::setShadowOffset(CGSize offset)
{
    NSAssertMainThread();
    if (m_shadowOffset == offset)
        return;
    m_shadowOffset = offset;
    setNeedsDisplay();
}

void UILabel::setHighlightedTextColor(const UIColorRef& color)
{
    NSAssertMainThread();
    if (ns::isEqual(m_highlightedTextColor, color))
        return;
    m_highlightedTextColor = color;
    layoutInputsDidChange();
    if (m_highlighted)
        setNeedsDisplay();
}

void UILabel::setHighlighted(bool highlighted)
{
    NSAssertMainThread();
    if (m_highlighted == highlighted)
        return;
    m_highlighted = highlighted;
    layoutInputsDidChange();
    setNeedsDisplay();
}

void UILabel::setAdjustsFontSizeToFitWidth(bool adjusts)
{
    NSAssertMainThread();
    if (m_adjustsFontSizeToFitWidth == adjusts)
        return;
    m_adjustsFontSizeToFitWidth = adjusts;
    layoutInputsDidChange();
    setNeedsDisplay();
}

void UILabel::setMinimumScaleFactor(CGFloat factor)
{
    NSAssertMainThread();
    m_minimumScaleFactor = std::isfinite(factor) ? std::clamp<CGFloat>(factor, 0, 1) : 0;
    layoutInputsDidChange();
    setNeedsDisplay();
}

void UILabel::setMinimumFontSize(CGFloat size)
{
    NSAssertMainThread();
    m_minimumFontSize = std::isfinite(size) ? std::max<CGFloat>(0, size) : 0;
    layoutInputsDidChange();
    setNeedsDisplay();
}

void UILabel::setBaselineAdjustment(UIBaselineAdjustment adjustment)
{
    NSAssertMainThread();
    m_baselineAdjustment = adjustment;
    setNeedsDisplay();
}

std::shared_ptr<NSAttributedString> UILabel::styledText(CGFloat fontScale) const
{
    const UIColorRef colour = m_highlighted && m_highlightedTextColor ? m_highlightedTextColor : m_textColor;
    auto style = NSMutableParagraphStyle::create();
    style->setAlignment(m_textAlignment);
    style->setLineBreakMode(m_lineBreakMode);
    const auto scaled = [fontScale](const UIFontRef& font) {
        return fontScale == 1 ? font : font->fontWithSize(std::max(kSmallestFontSize, font->pointSize() * fontScale));
    };

    if (!m_attributedText) {
        if (m_text.isNil() || m_text.length() == 0)
            return nullptr;
        auto attributes = NSMutableDictionary::dictionary();
        attributes->setObject(scaled(m_font), NSFontAttributeName);
        attributes->setObject(colour, NSForegroundColorAttributeName);
        attributes->setObject(style, NSParagraphStyleAttributeName);
        return NSAttributedString::withString(m_text, attributes);
    }
    if (m_attributedText->length() == 0)
        return nullptr;
    auto text = m_attributedText->mutableCopyAttributedString();
    const bool forcesColour = m_highlighted && m_highlightedTextColor;
    m_attributedText->enumerateAttributesInRange(wholeRange(m_attributedText), 0,
        [&](const NSAttributes& attributes, NSRange range, bool&) {
            auto font = std::dynamic_pointer_cast<UIFont>(attributes->objectForKey(NSFontAttributeName));
            text->addAttribute(NSFontAttributeName, scaled(font ? font : m_font), range);
            if (forcesColour || !attributes->objectForKey(NSForegroundColorAttributeName))
                text->addAttribute(NSForegroundColorAttributeName, colour, range);
            if (!attributes->objectForKey(NSParagraphStyleAttributeName))
                text->addAttribute(NSParagraphStyleAttributeName, style, range);
        });
    return text;
}

CGFloat UILabel::fontScaleForWidth(CGFloat width) const
{
    if (!m_adjustsFontSizeToFitWidth || m_numberOfLines != 1 || width <= 0)
        return 1;
    if (m_fontScaleForWidth && m_fontScaleForWidth->first == width)
        return m_fontScaleForWidth->second;
    const auto& natural = naturalText();
    if (!natural)
        return 1;
    const auto widthAt = [&](CGFloat scale) {
        return layOut(scale == 1 ? natural : styledText(scale), CGSizeMake(kUnbounded, kUnbounded), 1).usedSize().width;
    };
    const CGFloat naturalWidth = widthAt(1);
    if (naturalWidth <= width) {
        m_fontScaleForWidth = std::make_pair(width, CGFloat(1));
        return 1;
    }
    const CGFloat size = m_font->pointSize();
    const CGFloat smallest = std::max({ kSmallestFontSize, m_minimumScaleFactor * size, m_minimumFontSize });
    const CGFloat floorScale = std::min<CGFloat>(1, smallest / size);
    // Widths grow about in proportion to the size; hinting may make the guess a little wide.
    CGFloat scale = std::max(floorScale, width / naturalWidth);
    for (int step = 0; step < 64 && scale > floorScale && widthAt(scale) > width; ++step)
        scale = std::max(floorScale, scale - 0.5 / size);
    m_fontScaleForWidth = std::make_pair(width, scale);
    return scale;
}

CGFloat UILabel::fontSizeFittingWidth(CGFloat width) const { return m_font->pointSize() * fontScaleForWidth(width); }

const std::shared_ptr<NSAttributedString>& UILabel::naturalText() const
{
    if (!m_naturalText)
        m_naturalText = styledText(1);
    return *m_naturalText;
}

const TextLayout* UILabel::laidOutText(CGSize size, NSInteger lines) const
{
    const CGFloat width = size.width > 0 ? size.width : kUnbounded;
    const CGFloat height = size.height > 0 ? size.height : kUnbounded;
    lines = std::max<NSInteger>(0, lines);
    if (m_keptLayout && m_keptLayout->width == width && m_keptLayout->lines == lines) {
        // Lines laid out without a bottom are the lines of any height they all fit in.
        if (m_keptLayout->height == height || (m_keptLayout->height == kUnbounded && m_keptLayout->lowestBottom <= height + 1e-6))
            return &m_keptLayout->layout;
    }
    const CGFloat scale = fontScaleForWidth(size.width);
    const auto text = scale == 1 ? naturalText() : styledText(scale);
    if (!text) {
        m_keptLayout.reset();
        return nullptr;
    }
    TextLayout layout = layOut(text, CGSizeMake(width, height), lines);
    // Unless lines placed above the last allowed one reach lower than it (a negative spacing)
    // and so hid text, the same lines show in any height they all fit.
    const bool endsByLinesOrText = lines == 0 || layout.lines().size() >= std::size_t(lines) || layout.visibleRange().end() >= text->length();
    const CGFloat lowest = endsByLinesOrText ? lowestBottomOf(layout) : kUnbounded;
    m_keptLayout.emplace(KeptLayout { width, height, lines, std::move(layout), lowest });
    return &m_keptLayout->layout;
}

CGRect UILabel::textRectForBounds(CGRect bounds, NSInteger numberOfLines) const
{
    bounds = CGRectStandardize(bounds);
    const TextLayout* layout = laidOutText(bounds.size, numberOfLines);
    if (!layout)
        return CGRectMake(bounds.origin.x, bounds.origin.y, 0, 0);
    const CGSize used = layout->usedSize();
    return CGRectMake(bounds.origin.x, bounds.origin.y, std::ceil(used.width), std::ceil(used.height));
}

void UILabel::drawTextInRect(CGRect rect)
{
    const CGContextRef context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    const TextLayout* kept = laidOutText(rect.size, m_numberOfLines);
    if (!kept || kept->lines().empty())
        return;
    const TextLayout& layout = *kept;
    const CGFloat scale = fontScaleForWidth(rect.size.width);
    CGFloat top = rect.origin.y + (rect.size.height - layout.usedSize().height) / 2;
    if (scale < 1 && m_baselineAdjustment != UIBaselineAdjustmentAlignCenters) {
        const TextLayout natural = layOut(naturalText(), CGSizeMake(kUnbounded, kUnbounded), 1);
        const CGFloat naturalTop = rect.origin.y + (rect.size.height - natural.usedSize().height) / 2;
        top = m_baselineAdjustment == UIBaselineAdjustmentAlignBaselines
            ? naturalTop + natural.lines().front().origin.y - layout.lines().front().origin.y
            : naturalTop;
    }
    CGContextSaveGState(context);
    if (m_shadowColor)
        CGContextSetShadowWithColor(context, m_shadowOffset, 0, m_shadowColor->CGColor());
    layout.drawInContext(context, CGPointMake(rect.origin.x, top));
    CGContextRestoreGState(context);
}

void UILabel::drawRect(CGRect rect)
{
    if (!naturalText()) {
        // Nothing to show: the layer keeps no picture.
        super::drawRect(rect);
        return;
    }
    drawTextInRect(bounds());
}

CGSize UILabel::sizeThatFits(CGSize size) const
{
    // One line takes the width it needs; more lines wrap within the width given, if any.
    const CGFloat width = m_numberOfLines == 1 || size.width <= 0 ? kUnbounded : size.width;
    return textRectForBounds(CGRectMake(0, 0, width, kUnbounded), m_numberOfLines).size;
}

CGSize UILabel::intrinsicContentSize() const { return sizeThatFits(CGSizeZero); }
