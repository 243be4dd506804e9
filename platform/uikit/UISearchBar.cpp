#include "platform/uikit/UISearchBar.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/graphics/UIGraphics.h"

namespace {

constexpr CGFloat kFieldInset = 8;
constexpr CGFloat kFieldHeight = 28;

UIColorRef defaultBarColor() { return UIColor::colorWithRed(201.0 / 255, 201.0 / 255, 206.0 / 255, 1); }

// The magnifier left of the text.
class MagnifierView : public UIView {
    NS_OBJECT(MagnifierView, UIView)
public:
    void drawRect(CGRect) override
    {
        const CGContextRef context = UIGraphicsGetCurrentContext();
        if (!context)
            return;
        CGContextSetStrokeColorWithColor(context, UIColor::colorWithWhite(142.0 / 255, 1)->CGColor());
        CGContextSetLineWidth(context, 1.5);
        CGContextSetLineCap(context, kCGLineCapRound);
        CGContextStrokeEllipseInRect(context, CGRectMake(8, 7.5, 9, 9));
        CGContextMoveToPoint(context, 15.5, 15);
        CGContextAddLineToPoint(context, 19, 18.5);
        CGContextStrokePath(context);
    }
};

} // namespace

class UISearchBar::FieldLink : public UITextFieldDelegate {
public:
    explicit FieldLink(std::weak_ptr<UISearchBar> bar) : m_bar(std::move(bar)) { }
    std::optional<bool> textFieldShouldBeginEditing(UITextField&) override
    {
        auto bar = m_bar.lock();
        auto delegate = bar ? bar->delegate() : nullptr;
        return delegate ? delegate->searchBarShouldBeginEditing(*bar) : std::nullopt;
    }
    void textFieldDidBeginEditing(UITextField&) override
    {
        if (auto bar = m_bar.lock(); bar && bar->delegate())
            bar->delegate()->searchBarTextDidBeginEditing(*bar);
    }
    void textFieldDidEndEditing(UITextField&) override
    {
        if (auto bar = m_bar.lock(); bar && bar->delegate())
            bar->delegate()->searchBarTextDidEndEditing(*bar);
    }
    std::optional<bool> textFieldShouldReturn(UITextField&) override
    {
        if (auto bar = m_bar.lock(); bar && bar->delegate())
            bar->delegate()->searchBarSearchButtonClicked(*bar);
        return false;
    }

private:
    std::weak_ptr<UISearchBar> m_bar;
};

void UISearchBar::init(CGRect frame)
{
    if (frame.size.height <= 0)
        frame.size.height = kHeight;
    super::init(frame);
    m_background = UIImageView::create(bounds());
    m_background->setBackgroundColor(defaultBarColor());
    m_background->setUserInteractionEnabled(false);
    addSubview(m_background);

    m_field = UITextField::create(CGRectZero);
    m_field->setBorderStyle(UITextBorderStyle::None);
    m_field->setBackgroundColor(UIColor::whiteColor());
    m_field->layer()->setCornerRadius(5);
    m_field->setFont(UIFont::systemFontOfSize(14));
    m_field->setReturnKeyType(UIReturnKeyType::Search);
    m_field->setLeftView(MagnifierView::create(CGRectMake(0, 0, 24, kFieldHeight)));
    m_field->setLeftViewMode(UITextFieldViewMode::Always);
    m_field->setClearButtonMode(UITextFieldViewMode::WhileEditing);
    m_link = std::make_shared<FieldLink>(self());
    m_field->setDelegate(m_link);
    std::weak_ptr<UISearchBar> weakSelf = self();
    m_field->addTarget(nullptr, UIControl::Action([weakSelf](UIControl& field, const UIEventRef&) {
        auto bar = weakSelf.lock();
        auto delegate = bar ? bar->delegate() : nullptr;
        if (delegate)
            delegate->textDidChange(*bar, static_cast<UITextField&>(field).text());
    }), UIControlEventEditingChanged);
    addSubview(m_field);
}

void UISearchBar::setBackgroundImage(const UIImageRef& image)
{
    NSAssertMainThread();
    m_background->setImage(image);
    m_background->setBackgroundColor(image ? UIColor::clearColor() : defaultBarColor());
}

CGSize UISearchBar::sizeThatFits(CGSize size) const
{
    return CGSizeMake(size.width > 0 ? size.width : bounds().size.width, kHeight);
}

void UISearchBar::layoutSubviews()
{
    const CGRect bounds = this->bounds();
    m_background->setFrame(bounds);
    m_field->setFrame(CGRectMake(kFieldInset, CGRectGetMidY(bounds) - kFieldHeight / 2, std::max<CGFloat>(0, bounds.size.width - 2 * kFieldInset),
        kFieldHeight));
}
