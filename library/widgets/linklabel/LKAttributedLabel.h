#pragma once
// A label that lays out and draws attributed text itself: pieces of the text may carry their own
// colours and fonts, pieces without them take the label's, and the last line that does not fit
// ends in a token ("…" unless set). Ranges of the text may be links: drawn in the link
// attributes, pressed in the active ones, found under a finger (or a few points beside it),
// reported to the delegate, listed for screen readers, and kept in keyed archives. With checking
// types enabled, web addresses, phone numbers, dates, addresses and flight numbers in a new text
// are found in the background and become links while the text is still the same.
//
// Runs may carry the decoration keys below: a box behind them (fill, outline, padding, corner
// radius, line width) and a line struck through them.
//
//     auto label = LKAttributedLabel::create();
//     label->setFont(UIFont::systemFontOfSize(12));
//     label->setText(hourText);                    // NSAttributedString with red figures
//     label->addLinkToURL(NSURL::URLWithString("http://www.cdjg.gov.cn"), NSRange { 5, 4 });
//
// Main thread only.

#include "library/widgets/linklabel/LKAttributedLabelDelegate.h"
#include "library/widgets/linklabel/LKAttributedLabelLink.h"
#include "library/widgets/linklabel/LKRunDecorations.h"
#include "platform/foundation/NSArray.h"
#include "platform/text/CTFramesetter.h"
#include "platform/text/NSAttributedString.h"
#include "platform/foundation/NSDataDetector.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UILabel.h"

class UILongPressGestureRecognizer;

// A boolean: a line through the run.
inline constexpr NSAttributedStringKey kLKStrikeOutAttributeName = "LKStrikeOutAttribute";
// CGColor (or UIColor): the fill and the outline of a box behind the run.
inline constexpr NSAttributedStringKey kLKBackgroundFillColorAttributeName = "LKBackgroundFillColor";
inline constexpr NSAttributedStringKey kLKBackgroundStrokeColorAttributeName = "LKBackgroundStrokeColor";
// An NSValue of UIEdgeInsets: how far the box reaches beyond the run's glyphs.
inline constexpr NSAttributedStringKey kLKBackgroundFillPaddingAttributeName = "LKBackgroundFillPadding";
// Numbers: the box's corner radius, and its outline width (the box shrinks by it on every side).
inline constexpr NSAttributedStringKey kLKBackgroundCornerRadiusAttributeName = "LKBackgroundCornerRadius";
inline constexpr NSAttributedStringKey kLKBackgroundLineWidthAttributeName = "LKBackgroundLineWidth";

enum LKAttributedLabelVerticalAlignment : NSInteger {
    LKAttributedLabelVerticalAlignmentCenter = 0,
    LKAttributedLabelVerticalAlignmentTop = 1,
    LKAttributedLabelVerticalAlignmentBottom = 2,
};

class LKAttributedLabel : public UILabel, public NSCoding, public UIGestureRecognizerDelegate {
    NS_OBJECT(LKAttributedLabel, UILabel)
public:
    // One element a screen reader walks: a link, or the whole label (listed last).
    struct AccessibilityElement {
        NSString label;
        NSString value;
        NSString hint;
        CGRect frame { };
        bool isLink { false };

        bool operator==(const AccessibilityElement& other) const
        {
            return label == other.label && value == other.value && hint == other.hint && CGRectEqualToRect(frame, other.frame) && isLink == other.isLink;
        }
    };

    using ConfigureBlock = std::function<std::shared_ptr<NSMutableAttributedString>(const std::shared_ptr<NSMutableAttributedString>&)>;

    // Plain text takes the label's attributes (font, colour, kern, paragraph settings).
    void setText(const NSString& text);
    // The text with the label's attributes over its whole length (replacing its own for those
    // keys), then given to the block, whose result is the text set.
    void setText(const std::shared_ptr<NSAttributedString>& text, const ConfigureBlock& block);
    void setText(const NSString& text, const ConfigureBlock& block);
    // Links of the previous text go; ranges carrying NSLinkAttributeName become links.
    void setText(const std::shared_ptr<NSAttributedString>& text);
    const std::shared_ptr<NSAttributedString>& attributedText() const { return m_attributedText; }
    // The label's own: an equal text changes nothing; another is laid out and drawn anew, and
    // `text` gives its characters.
    void setAttributedText(const std::shared_ptr<NSAttributedString>& text) override;
    // Both change the rendered text.
    void setTextColor(const UIColorRef& color) override;
    void setFont(const UIFontRef& font) override;
    // Drops the highlighted copy's framesetter, made with the colour before.
    void setHighlightedTextColor(const UIColorRef& color) override;
    // The text as laid out: the label's font and colour filled in where a range has none.
    std::shared_ptr<NSAttributedString> renderedAttributedText() const;
    // The rendered text, its framesetter and the highlighted copy's are made once per text and
    // colour: this drops them, and the next use makes them again.
    void setNeedsFramesetter();
    CTFramesetterRef framesetter() const;
    void setFramesetter(const CTFramesetterRef& framesetter) { m_framesetter = framesetter; }
    const CTFramesetterRef& highlightFramesetter() const { return m_highlightFramesetter; }
    void setHighlightFramesetter(const CTFramesetterRef& framesetter) { m_highlightFramesetter = framesetter; }
    // The attributes plain text takes from the label's settings as they are now.
    std::shared_ptr<NSDictionary> labelAttributes() const;

    // Paragraph settings: they apply from the next setText.
    CGFloat kern() const { return m_kern; }
    void setKern(CGFloat kern) { m_kern = kern; }
    CGFloat firstLineIndent() const { return m_firstLineIndent; }
    void setFirstLineIndent(CGFloat indent) { m_firstLineIndent = indent; }
    CGFloat lineSpacing() const { return m_lineSpacing; }
    void setLineSpacing(CGFloat spacing) { m_lineSpacing = spacing; }
    CGFloat leading() const { return m_lineSpacing; }
    void setLeading(CGFloat leading) { m_lineSpacing = leading; }
    // 0: the font's line height times the multiple.
    CGFloat minimumLineHeight() const { return m_minimumLineHeight; }
    void setMinimumLineHeight(CGFloat height) { m_minimumLineHeight = height; }
    CGFloat maximumLineHeight() const { return m_maximumLineHeight; }
    void setMaximumLineHeight(CGFloat height) { m_maximumLineHeight = height; }
    CGFloat lineHeightMultiple() const { return m_lineHeightMultiple; }
    void setLineHeightMultiple(CGFloat multiple) { m_lineHeightMultiple = multiple; }

    // Drawing settings: they apply from the next drawing.
    LKAttributedLabelVerticalAlignment verticalAlignment() const { return m_verticalAlignment; }
    void setVerticalAlignment(LKAttributedLabelVerticalAlignment alignment) { m_verticalAlignment = alignment; }
    CGFloat shadowRadius() const { return m_shadowRadius; }
    void setShadowRadius(CGFloat radius) { m_shadowRadius = radius; }
    // Drawn while highlighted, and also when the label has no shadowColor.
    const UIColorRef& highlightedShadowColor() const { return m_highlightedShadowColor; }
    void setHighlightedShadowColor(const UIColorRef& colour) { m_highlightedShadowColor = colour; }
    CGSize highlightedShadowOffset() const { return m_highlightedShadowOffset; }
    void setHighlightedShadowOffset(CGSize offset) { m_highlightedShadowOffset = offset; }
    CGFloat highlightedShadowRadius() const { return m_highlightedShadowRadius; }
    void setHighlightedShadowRadius(CGFloat radius) { m_highlightedShadowRadius = radius; }
    // Applied to every box drawn behind runs; by default one point wider on each side.
    UIEdgeInsets linkBackgroundEdgeInset() const { return m_linkBackgroundEdgeInset; }
    void setLinkBackgroundEdgeInset(UIEdgeInsets inset) { m_linkBackgroundEdgeInset = inset; }

    // nil: "…".
    const NSString& truncationTokenString() const { return m_truncationTokenString; }
    void setTruncationTokenString(const NSString& token);
    // nil: the attributes of the text where it is cut.
    const std::shared_ptr<NSDictionary>& truncationTokenStringAttributes() const { return m_truncationTokenStringAttributes; }
    void setTruncationTokenStringAttributes(const std::shared_ptr<NSDictionary>& attributes);
    // The whole token; wins over the two above. One carrying NSLinkAttributeName becomes a link.
    const std::shared_ptr<NSAttributedString>& attributedTruncationToken() const { return m_attributedTruncationToken; }
    void setAttributedTruncationToken(const std::shared_ptr<NSAttributedString>& token);
    UIEdgeInsets textInsets() const { return m_textInsets; }
    void setTextInsets(UIEdgeInsets insets) { m_textInsets = insets; }

    // Where the text goes in the bounds: inside the insets, placed by the vertical alignment, at
    // least two lines (or the line count) tall.
    CGRect textRectForBounds(CGRect bounds, NSInteger numberOfLines) const override;
    // One line (numberOfLines 1) is measured unbounded in width; with a larger line count only
    // the text of that many lines counts. The insets are added.
    CGSize sizeThatFits(CGSize size) const override;
    // The same for any text, without insets; zero for no text.
    static CGSize sizeThatFitsAttributedString(const std::shared_ptr<NSAttributedString>& text, CGSize constraints, NSUInteger numberOfLines);

    // Links. Detection: 0 (the default) finds nothing.
    NSTextCheckingTypes enabledTextCheckingTypes() const { return m_enabledTextCheckingTypes; }
    void setEnabledTextCheckingTypes(NSTextCheckingTypes types);
    NSTextCheckingTypes dataDetectorTypes() const { return m_enabledTextCheckingTypes; }
    void setDataDetectorTypes(NSTextCheckingTypes types) { setEnabledTextCheckingTypes(types); }
    const std::shared_ptr<NSDataDetector>& dataDetector() const { return m_dataDetector; }
    const std::shared_ptr<NSDictionary>& linkAttributes() const { return m_linkAttributes; }
    void setLinkAttributes(const std::shared_ptr<NSDictionary>& attributes) { m_linkAttributes = attributes; }
    const std::shared_ptr<NSDictionary>& activeLinkAttributes() const { return m_activeLinkAttributes; }
    void setActiveLinkAttributes(const std::shared_ptr<NSDictionary>& attributes) { m_activeLinkAttributes = attributes; }
    const std::shared_ptr<NSDictionary>& inactiveLinkAttributes() const { return m_inactiveLinkAttributes; }
    void setInactiveLinkAttributes(const std::shared_ptr<NSDictionary>& attributes) { m_inactiveLinkAttributes = attributes; }
    bool extendsLinkTouchArea() const { return m_extendsLinkTouchArea; }
    void setExtendsLinkTouchArea(bool extends) { m_extendsLinkTouchArea = extends; }
    std::shared_ptr<LKAttributedLabelDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<LKAttributedLabelDelegate>& delegate) { m_delegate = delegate; }

    std::shared_ptr<LKAttributedLabelLink> addLinkToURL(const id& URL, NSRange range);
    std::shared_ptr<LKAttributedLabelLink> addLinkToAddress(const std::shared_ptr<NSDictionary>& addressComponents, NSRange range);
    std::shared_ptr<LKAttributedLabelLink> addLinkToPhoneNumber(const NSString& phoneNumber, NSRange range);
    std::shared_ptr<LKAttributedLabelLink> addLinkToDate(const std::shared_ptr<NSDate>& date, NSRange range);
    std::shared_ptr<LKAttributedLabelLink> addLinkToDate(const std::shared_ptr<NSDate>& date, const std::shared_ptr<NSTimeZone>& timeZone,
        NSTimeInterval duration, NSRange range);
    std::shared_ptr<LKAttributedLabelLink> addLinkToTransitInformation(const std::shared_ptr<NSDictionary>& components, NSRange range);
    std::shared_ptr<LKAttributedLabelLink> addLinkWithTextCheckingResult(const std::shared_ptr<NSTextCheckingResult>& result);
    std::shared_ptr<LKAttributedLabelLink> addLinkWithTextCheckingResult(const std::shared_ptr<NSTextCheckingResult>& result, const std::shared_ptr<NSDictionary>& attributes);
    std::vector<std::shared_ptr<LKAttributedLabelLink>> addLinksWithTextCheckingResults(const std::vector<std::shared_ptr<NSTextCheckingResult>>& results,
        const std::shared_ptr<NSDictionary>& attributes);
    void addLink(const std::shared_ptr<LKAttributedLabelLink>& link);
    // Links whose range does not lie within the text are left out.
    void addLinks(const std::vector<std::shared_ptr<LKAttributedLabelLink>>& links);
    const std::vector<std::shared_ptr<LKAttributedLabelLink>>& linkModels() const { return m_linkModels; }
    void setLinkModels(std::vector<std::shared_ptr<LKAttributedLabelLink>> links);
    std::vector<std::shared_ptr<NSTextCheckingResult>> links() const;
    const std::shared_ptr<LKAttributedLabelLink>& activeLink() const { return m_activeLink; }
    void setActiveLink(const std::shared_ptr<LKAttributedLabelLink>& link);

    // The character drawn under a point of the label, NSNotFound when none.
    NSInteger characterIndexAtPoint(CGPoint point);
    // The link added last among those covering the character.
    std::shared_ptr<LKAttributedLabelLink> linkAtCharacterIndex(NSInteger index) const;
    // Also a few points beside the text when extendsLinkTouchArea is set.
    std::shared_ptr<LKAttributedLabelLink> linkAtPoint(CGPoint point);
    std::shared_ptr<LKAttributedLabelLink> linkAtRadius(double radius, CGPoint point);
    bool containslinkAtPoint(CGPoint point) { return linkAtPoint(point) != nullptr; }
    // The box of the drawn characters of the range, in the label's space (CGRectNull when none).
    CGRect boundingRectForCharacterRange(NSRange range);

    std::shared_ptr<UIView> hitTest(CGPoint point, const UIEventRef& event) override;
    void touchesBegan(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesMoved(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesEnded(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesCancelled(const UITouchSet& touches, const UIEventRef& event) override;
    // With the tint dimmed the links take their inactive attributes, and their own back after.
    void tintColorDidChange() override;

    // A press held on a link reports it (its block, or the delegate) once, where it began.
    const std::shared_ptr<UILongPressGestureRecognizer>& longPressGestureRecognizer() const { return m_longPressGestureRecognizer; }
    void longPressGestureDidFire(UILongPressGestureRecognizer& recognizer);
    // The press recogniser sees only touches that start on a link.
    std::optional<bool> shouldReceiveTouch(UIGestureRecognizer& recognizer, UITouch& touch) override;

    // Copy ("copy:") is the one editing action: it puts the plain text on the general pasteboard.
    bool canBecomeFirstResponder() const override { return true; }
    bool canPerformAction(const NSString& action) const { return action == "copy:"; }
    using UILabel::copy;
    void copy(const id& sender);

    // Accessibility: one element per link, then the label; rebuilt when the links change.
    bool isAccessibilityElement() const { return false; }
    const std::vector<AccessibilityElement>& accessibilityElements();
    NSInteger accessibilityElementCount() { return static_cast<NSInteger>(accessibilityElements().size()); }
    // Nil past the last element.
    const AccessibilityElement* accessibilityElementAtIndex(NSInteger index);
    // NSNotFound for an element that is none of the label's.
    NSInteger indexOfAccessibilityElement(const AccessibilityElement& element);
    // Kept until the links change.
    void setAccessibilityElements(std::vector<AccessibilityElement> elements) { m_accessibilityElements = std::move(elements); }
    const NSString& accessibilityLabel() const { return m_accessibilityLabel; }
    void setAccessibilityLabel(const NSString& label) { m_accessibilityLabel = label; }
    const NSString& accessibilityHint() const { return m_accessibilityHint; }
    void setAccessibilityHint(const NSString& hint) { m_accessibilityHint = hint; }
    const NSString& accessibilityValue() const { return m_accessibilityValue; }
    void setAccessibilityValue(const NSString& value) { m_accessibilityValue = value; }

    void encodeWithCoder(NSCoder& coder) const override;

    void drawTextInRect(CGRect rect) override;
    // The three steps of drawing, for a subclass to change: the text of the range laid out in
    // the rectangle and drawn with its decorations, the boxes behind runs, and the struck lines.
    // Lines are given as drawn, in the label's own space, with their baselines' origins.
    virtual void drawFramesetter(const CTFramesetterRef& framesetter, const std::shared_ptr<NSAttributedString>& text, CFRange range, CGRect rect,
        const CGContextRef& context);
    virtual void drawBackground(const std::vector<LKRunDecorations::PlacedLine>& lines, CGRect rect, const CGContextRef& context);
    virtual void drawStrike(const std::vector<LKRunDecorations::PlacedLine>& lines, CGRect rect, const CGContextRef& context);
    // The lines the last drawing drew, after truncation, as plain text.
    const std::vector<NSString>& drawnLines() const { return m_drawnLines; }

protected:
    void init(CGRect frame) override;
    bool init(NSCoder& coder);

private:
    struct Layout;
    // With the framesetter made for that text, when there is one.
    Layout layoutIn(CGRect rect, const std::shared_ptr<NSAttributedString>& rendered, const CTFramesetterRef& framesetter = nullptr) const;
    void commonInit();
    void detectLinksInBackground(const std::shared_ptr<NSAttributedString>& text);
    void storeAttributedText(const std::shared_ptr<NSAttributedString>& text);
    // The cut line ends in the token: a new one is laid out and drawn again.
    void truncationTokenDidChange();
    void linkToken(const std::shared_ptr<NSAttributedString>& token, NSRange range);
    void report(LKAttributedLabelLink& link, bool longPress, CGPoint point);

    // The layout in the bounds that touches and hit tests read, with what it was made for.
    const Layout& boundsLayout() const;

    std::shared_ptr<NSAttributedString> m_attributedText;
    mutable std::shared_ptr<NSAttributedString> m_renderedAttributedText;
    mutable bool m_needsFramesetter { true };
    mutable CTFramesetterRef m_framesetter;
    mutable CTFramesetterRef m_highlightFramesetter;
    mutable std::shared_ptr<const std::pair<std::vector<double>, Layout>> m_boundsLayout;
    CGFloat m_kern { 0 };
    CGFloat m_firstLineIndent { 0 };
    CGFloat m_lineSpacing { 0 };
    CGFloat m_minimumLineHeight { 0 };
    CGFloat m_maximumLineHeight { 0 };
    CGFloat m_lineHeightMultiple { 1.0 };
    LKAttributedLabelVerticalAlignment m_verticalAlignment { LKAttributedLabelVerticalAlignmentCenter };
    CGFloat m_shadowRadius { 0 };
    UIColorRef m_highlightedShadowColor;
    CGSize m_highlightedShadowOffset { 0, 0 };
    CGFloat m_highlightedShadowRadius { 0 };
    UIEdgeInsets m_linkBackgroundEdgeInset { 0, -1, 0, -1 };
    NSTextCheckingTypes m_enabledTextCheckingTypes { 0 };
    std::shared_ptr<NSDataDetector> m_dataDetector;
    std::shared_ptr<UILongPressGestureRecognizer> m_longPressGestureRecognizer;
    std::shared_ptr<NSAttributedString> m_inactiveAttributedText;
    NSString m_truncationTokenString;
    std::shared_ptr<NSDictionary> m_truncationTokenStringAttributes;
    std::shared_ptr<NSAttributedString> m_attributedTruncationToken;
    UIEdgeInsets m_textInsets { 0, 0, 0, 0 };
    std::vector<NSString> m_drawnLines;
    std::shared_ptr<NSDictionary> m_linkAttributes;
    std::shared_ptr<NSDictionary> m_activeLinkAttributes;
    std::shared_ptr<NSDictionary> m_inactiveLinkAttributes;
    bool m_extendsLinkTouchArea { true };
    std::weak_ptr<LKAttributedLabelDelegate> m_delegate;
    std::vector<std::shared_ptr<LKAttributedLabelLink>> m_linkModels;
    std::shared_ptr<LKAttributedLabelLink> m_activeLink;
    // The link a linked token made, kept so later drawings of the same text add none.
    std::shared_ptr<LKAttributedLabelLink> m_tokenLink;
    std::optional<std::vector<AccessibilityElement>> m_accessibilityElements;
    NSString m_accessibilityLabel;
    NSString m_accessibilityHint;
    NSString m_accessibilityValue;
};
