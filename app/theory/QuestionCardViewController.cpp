#include "app/theory/QuestionCardViewController.h"

#include "app/screens/base/ScreenImages.h"
#include "app/screens/base/UIColor_Addition.h"
#include "library/network/device/NSString_MD5Addition.h"
#include "library/widgets/hud/UIView_Toast.h"
#include "library/widgets/richlabel/RAAttributedLabel.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/TypedValues.h"
#include "platform/text/UIStringDrawing.h"
#include "platform/uikit/UILabel.h"

#include <algorithm>

namespace {

constexpr CGFloat kBarHeight = 44;
constexpr CGFloat kRowHeight = 40;
constexpr CGFloat kPictureWidth = 220;
constexpr CGFloat kPictureHeight = 140;

UIColorRef hex(const char* text) { return UIColor_Addition::colorWithHexString(text); }
UIColorRef textGrey() { return hex("666666"); }

NSString lastPathComponentOf(const NSString& reference)
{
    const NSRange slash = reference.rangeOfString("/", NSBackwardsSearch);
    return slash.location == NSNotFound ? reference : reference.substringFromIndex(slash.location + 1);
}

} // namespace

// A literal ".png" at the end names the delivered JPEG; nothing else in the name changes.
NSString QuestionCardViewController::pictureNameForReference(const NSString& picurl)
{
    NSString name = lastPathComponentOf(picurl);
    if (name.lowercaseString().hasSuffix(".png"))
        name = name.substringToIndex(name.length() - 4) + ".jpg";
    return name;
}

NSString QuestionCardViewController::videoNameForReference(const NSString& videourl)
{
    const NSString name = lastPathComponentOf(videourl);
    const NSString replaced = NSString_MD5Addition::replaceRegexAll(name, "[.]swf", ".mp4");
    return replaced.isNil() ? name : replaced;
}

// MARK: Screen

void QuestionCardViewController::loadView()
{
    NoXibViewController::loadView();
    auto root = view();
    root->setBackgroundColor(hex("f6f6f6"));
    root->setClipsToBounds(true);
    const CGFloat W = root->bounds().size.width, H = root->bounds().size.height;
    const CGFloat top = getNaviBarRect().size.height;

    auto bar = UIView::create(CGRectMake(0, H - kBarHeight, W, kBarHeight));
    bar->setBackgroundColor(UIColor::whiteColor());
    bar->setUserInteractionEnabled(true);
    root->addSubview(bar);
    auto line = UIView::create(CGRectMake(0, H - kBarHeight - 0.5, W, 0.5));
    line->setBackgroundColor(UIColor::lightGrayColor());
    root->addSubview(line);
    const CGFloat cell = (W - 2) / 5;
    for (int i = 1; i < 5; ++i) {
        auto separator = UIView::create(CGRectMake(CGFloat(i) * (cell + 0.5) - 0.5, 0, 0.5, kBarHeight));
        separator->setBackgroundColor(UIColor::lightGrayColor());
        bar->addSubview(separator);
    }
    buildToolbar(*bar, cell);

    m_vScrollView = UIScrollView::create(CGRectMake(0, top, W, H - kBarHeight - 0.5 - top));
    m_vScrollView->setBackgroundColor(UIColor::whiteColor());
    m_vScrollView->setShowsVerticalScrollIndicator(false);
    m_vScrollView->setShowsHorizontalScrollIndicator(false);
    m_vScrollView->setPagingEnabled(false);
    root->addSubview(m_vScrollView);
    const CGFloat P = W - 20;

    m_questionView = UIView::create(CGRectMake(10, 10, P, 100));
    m_questionView->setBackgroundColor(hex("f1f9fd"));
    m_questionView->layer()->setBorderWidth(1);
    m_questionView->layer()->setBorderColor(hex("bcd9e8")->CGColor());
    m_questionView->layer()->setCornerRadius(3);
    m_questionView->setClipsToBounds(true);
    m_vScrollView->addSubview(m_questionView);

    m_choiseView = UIView::create(CGRectMake(10, CGRectGetMaxY(m_questionView->frame()) + 20, P, 100));
    m_choiseView->setBackgroundColor(UIColor::whiteColor());
    m_choiseView->layer()->setBorderWidth(1);
    m_choiseView->layer()->setBorderColor(UIColor::lightGrayColor()->CGColor());
    m_choiseView->layer()->setCornerRadius(3);
    m_choiseView->setClipsToBounds(true);
    m_vScrollView->addSubview(m_choiseView);

    m_okBtn = UIButton::buttonWithType(UIButtonTypeCustom);
    m_okBtn->setFrame(CGRectMake(10, CGRectGetMaxY(m_choiseView->frame()) + 10, P, 40));
    m_okBtn->setTitle("确定", UIControlStateNormal);
    m_okBtn->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
    m_okBtn->titleLabel()->setFont(UIFont::systemFontOfSize(17));
    setConfirmLook(false);
    m_okBtn->addTarget(self(), &QuestionCardViewController::okEvent,
        UIControlEventTouchUpInside);
    m_vScrollView->addSubview(m_okBtn);

    m_resultView = InsetsLabel::create(CGRectMake(10, CGRectGetMaxY(m_okBtn->frame()) + 10, P, 36), UIEdgeInsetsMake(0, 10, 0, 0));
    m_resultView->setBackgroundColor(hex("8dd0be"));
    m_resultView->setTextColor(UIColor::whiteColor());
    m_resultView->setFont(UIFont::systemFontOfSize(15));
    m_resultView->layer()->setCornerRadius(3);
    m_resultView->setClipsToBounds(true);
    m_resultView->setHidden(true);
    m_vScrollView->addSubview(m_resultView);

    m_explanView = UIView::create(CGRectMake(10, CGRectGetMaxY(m_resultView->frame()) + 10, P, 100));
    m_explanView->setBackgroundColor(UIColor::whiteColor());
    m_explanView->layer()->setBorderWidth(1);
    m_explanView->layer()->setBorderColor(UIColor::lightGrayColor()->CGColor());
    m_explanView->layer()->setCornerRadius(3);
    m_explanView->setClipsToBounds(true);
    m_explanView->setHidden(true);
    m_vScrollView->addSubview(m_explanView);
    m_vScrollView->setContentSize(CGSizeMake(W, CGRectGetMaxY(m_explanView->frame()) + 10));
}

void QuestionCardViewController::viewDidLoad()
{
    NoXibViewController::viewDidLoad();
    setNaviBarTitle(title());
    m_index = 0;
    auto list = cardList();
    m_total = list ? NSInteger(list->count()) : 0;
    m_mutilChoise.clear();
    auto center = NSNotificationCenter::defaultCenter();
    auto me = self();
    center->addObserver(me, &QuestionCardViewController::movieThumbnailLoadComplete,
        NSString(MPMoviePlayerThumbnailImageRequestDidFinishNotification), nullptr);
    center->addObserver(me, &QuestionCardViewController::moviePlayBackDidFinish, NSString(MPMoviePlayerPlaybackDidFinishNotification), nullptr);
    setCounter();
    showQuestion();
}

void QuestionCardViewController::viewDidDisappear(bool animated)
{
    NoXibViewController::viewDidDisappear(animated);
    if (m_player)
        m_player->stop();
}

// MARK: Bar

std::shared_ptr<UIButton> QuestionCardViewController::makeBarButton(CGRect frame, const NSString& image, const NSString& secondImage,
    UIControlState secondState, const NSString& title)
{
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    button->setFrame(frame);
    button->titleLabel()->setFont(UIFont::systemFontOfSize(10));
    button->setTitle(title, UIControlStateNormal);
    button->setTitleColor(UIColor::grayColor(), UIControlStateNormal);
    button->setTitleColor(hex("50a7d4"), secondState);
    button->setImage(stretchableImageNamed(image), UIControlStateNormal);
    button->setImage(stretchableImageNamed(secondImage), secondState);
    button->setContentHorizontalAlignment(UIControlContentHorizontalAlignmentCenter);
    button->setContentVerticalAlignment(UIControlContentVerticalAlignmentTop);
    layoutTab(*button);
    return button;
}

void QuestionCardViewController::layoutTab(UIButton& button)
{
    button.layoutIfNeeded();
    const CGFloat titleWidth = button.titleLabel()->intrinsicContentSize().width;
    const CGSize imageSize = button.currentImage() ? button.currentImage()->size() : CGSizeZero;
    if (button.bounds().size.width >= titleWidth + imageSize.width + 10)
        exceedWidthTab(button);
    else
        lessWidthTab(button);
}

void QuestionCardViewController::exceedWidthTab(UIButton& button)
{
    button.setImageEdgeInsets(UIEdgeInsetsZero);
    button.setTitleEdgeInsets(UIEdgeInsetsZero);
    button.layoutIfNeeded();
    const CGSize imageSize = button.currentImage() ? button.currentImage()->size() : CGSizeZero;
    const CGSize titleSize = button.titleLabel()->intrinsicContentSize();
    const CGFloat middle = button.bounds().size.width / 2;
    const CGFloat gap = (button.bounds().size.height - imageSize.height - titleSize.height) / 2;
    const CGFloat dxImage = middle - button.imageView()->center().x;
    const CGFloat dxTitle = middle - button.titleLabel()->center().x;
    button.setImageEdgeInsets(UIEdgeInsetsMake(gap, dxImage, 0, -dxImage));
    button.setTitleEdgeInsets(UIEdgeInsetsMake(gap + imageSize.height, dxTitle, 0, -dxTitle));
}

void QuestionCardViewController::lessWidthTab(UIButton& button)
{
    button.setImageEdgeInsets(UIEdgeInsetsZero);
    button.setTitleEdgeInsets(UIEdgeInsetsZero);
    const CGFloat w = button.bounds().size.width;
    const CGSize imageSize = button.currentImage() ? button.currentImage()->size() : CGSizeZero;
    const CGFloat titleWidth = button.titleLabel()->intrinsicContentSize().width;
    button.setImageEdgeInsets(UIEdgeInsetsMake(5, (w - imageSize.width) / 2, 0, (w - imageSize.width) / 2));
    button.setTitleEdgeInsets(UIEdgeInsetsMake(imageSize.height + 5, -((w / 2 - imageSize.width / 2) + (titleWidth - imageSize.width) / 2), 0, 0));
}

void QuestionCardViewController::setCounter()
{
    if (!m_choiceBtn)
        return;
    m_choiceBtn->setTitle(NSString::stringWithFormat("%d/%d", int(m_index + 1), int(m_total)), UIControlStateNormal);
    layoutTab(*m_choiceBtn);
}

bool QuestionCardViewController::canMove(NSInteger step)
{
    if (step < 0 && m_index <= 0) {
        Toast::makeToast(view(), "已经是第一题了", 1.0, NSString("bottom"));
        return false;
    }
    if (step > 0 && m_index >= m_total - 1) {
        Toast::makeToast(view(), "已经是最后一题了", 1.0, NSString("bottom"));
        return false;
    }
    return true;
}

void QuestionCardViewController::moveTo(NSInteger index)
{
    if (index < 0 || index >= m_total)
        return;
    m_index = index;
    setCounter();
    showQuestion();
}

void QuestionCardViewController::previousEvent(UIControl&)
{
    if (canMove(-1))
        moveTo(m_index - 1);
}

void QuestionCardViewController::nextEvent(UIControl&)
{
    if (canMove(1))
        moveTo(m_index + 1);
}

void QuestionCardViewController::choiseEvent(UIControl&)
{
    auto grid = QuestionChoiseView::create(view()->bounds(), cardList(), m_index, gridIsTest());
    grid->setDelegate(self());
    view()->addSubview(grid);
}

void QuestionCardViewController::clickAtIndex(NSInteger index)
{
    moveTo(index);
}

// MARK: Card

bool QuestionCardViewController::isMutil() const
{
    return m_quest && ns::stringForKey(m_quest, "qutype").isEqualToString("1");
}

bool QuestionCardViewController::isJudge() const
{
    return m_quest && ns::stringForKey(m_quest, "qutype").isEqualToString("2");
}

NSString QuestionCardViewController::storedAnswer() const
{
    if (!m_quest)
        return NSString();
    return ns::stringForKey(m_quest, isJudge() ? "answeryn" : "answermany");
}

bool QuestionCardViewController::isAnswer() const
{
    return m_quest && ns::integerForKey(m_quest, "type") != 0 && storedAnswer().length() > 0;
}

std::vector<UIViewRef> QuestionCardViewController::optionRows() const
{
    std::vector<UIViewRef> rows;
    for (const auto& child : m_choiseView->subviews()) {
        if (!child->gestureRecognizers().empty())
            rows.push_back(child);
    }
    return rows;
}

void QuestionCardViewController::stopPlayer()
{
    if (m_player) {
        m_player->stop();
        m_player.reset();
    }
}

void QuestionCardViewController::setConfirmLook(bool grey)
{
    const auto insets = UIEdgeInsetsMake(20, 20, 20, 20);
    auto image = [&](const char* name) {
        auto picture = UIImage::imageNamed(name);
        return picture ? picture->resizableImageWithCapInsets(insets, UIImageResizingModeStretch) : nullptr;
    };
    m_okBtn->setBackgroundImage(image(grey ? "adm_lose_bg_h" : "bt_blu"), UIControlStateNormal);
    m_okBtn->setBackgroundImage(image(grey ? "adm_lose_bg_h" : "bt_red"), UIControlStateHighlighted);
}

void QuestionCardViewController::showQuestion()
{
    m_mutilChoise.clear();
    auto list = cardList();
    if (!list || m_index < 0 || NSUInteger(m_index) >= list->count())
        return;
    m_quest = ns::cast<QuestionRecord>(list->objectAtIndex(NSUInteger(m_index)));
    if (!m_quest)
        return;
    stopPlayer();
    m_videoFrame.reset();
    NSLog("==quid==%@", ns::stringForKey(m_quest, "quid"));

    // Question.
    for (const auto& child : std::vector<UIViewRef>(m_questionView->subviews()))
        child->removeFromSuperview();
    const CGFloat panelWidth = m_questionView->bounds().size.width;
    auto label = RAAttributedLabel::create(CGRectMake(10, 5, panelWidth - 20, 100));
    label->setLineSpacing(5);
    label->setParagraphSpacing(10);
    label->setNumberOfLines(0);
    label->setFont(UIFont::systemFontOfSize(15));
    label->setLineBreakMode(0);
    label->setBackgroundColor(UIColor::clearColor());
    label->setText(NSString::stringWithFormat("%d.%@                ", int(m_index + 1), ns::stringForKey(m_quest, "itemcontent")));
    const CGFloat m = (panelWidth - 20 - kPictureWidth) / 2;
    const NSString contentType = ns::stringForKey(m_quest, "qncontype");
    if (contentType.isEqualToString("0") && ns::stringForKey(m_quest, "picurl").length() > 0) {
        if (auto picture = UIImage::imageNamed(pictureNameForReference(ns::stringForKey(m_quest, "picurl"))))
            label->appendImage(picture, CGSizeMake(kPictureWidth, kPictureHeight), UIEdgeInsetsMake(10, m, 5, m), 2);
    } else if (contentType.isEqualToString("2") && ns::stringForKey(m_quest, "videourl").length() > 0) {
        const NSString file = videoNameForReference(ns::stringForKey(m_quest, "videourl"));
        auto frameView = UIImageView::create(CGRectMake(m, 10, kPictureWidth, kPictureHeight));
        frameView->setBackgroundColor(UIColor::blackColor());
        frameView->setTag(kVideoTag);
        m_videoFrame = frameView;
        frameView->setUserInteractionEnabled(true);
        const NSString path = NSBundle::mainBundle()->pathForResource(file, nullptr);
        m_player = MPMoviePlayerController::create(path.length() ? NSURL::fileURLWithPath(path) : nullptr);
        if (m_player) {
            m_player->setShouldAutoplay(false);
            m_player->setControlStyle(MPMovieControlStyleNone);
            m_player->prepareToPlay();
            m_player->view()->setFrame(frameView->bounds());
            frameView->addSubview(m_player->view());
            m_player->requestThumbnailImagesAtTimes(NSArray::arrayWithObject(NSNumber::numberWithDouble(1.0)), MPMovieTimeOptionNearestKeyFrame);
        }
        auto play = UIImageView::create(UIImage::imageNamed("play"));
        play->setFrame(CGRectMake((kPictureWidth - 48) / 2, (kPictureHeight - 48) / 2, 48, 48));
        play->setTag(kPlayTag);
        play->setUserInteractionEnabled(true);
        play->addGestureRecognizer(UITapGestureRecognizer::create(self(),
            &QuestionCardViewController::playVideo));
        frameView->addSubview(play);
        label->appendView(frameView, UIEdgeInsetsMake(10, m, 5, m), 2);
    }
    const CGSize fitted = label->sizeThatFits(CGSizeMake(panelWidth - 20, CGFLOAT_MAX));
    label->setFrame(CGRectMake(10, 5, fitted.width, fitted.height));
    m_questionView->addSubview(label);
    CGRect questionFrame = m_questionView->frame();
    questionFrame.size.height = fitted.height + 10;
    m_questionView->setFrame(questionFrame);

    // Options.
    for (const auto& child : std::vector<UIViewRef>(m_choiseView->subviews()))
        child->removeFromSuperview();
    std::vector<std::pair<NSString, NSString>> rows;
    if (isJudge()) {
        rows = { { "A.正确", "Y" }, { "B.错误", "N" } };
    } else {
        const char* keys[] = { "chiocea", "chioceb", "chiocec", "chioced" };
        const char* letters[] = { "A", "B", "C", "D" };
        for (int i = 0; i < 4; ++i) {
            const NSString text = ns::stringForKey(m_quest, keys[i]);
            if (text.length() > 0)
                rows.push_back({ NSString::stringWithFormat("%s.%@", letters[i], text), NSString(letters[i]) });
        }
    }
    const bool answered = isAnswer();
    const bool mutil = isMutil();
    const CGFloat optionWidth = m_choiseView->bounds().size.width;
    CGFloat y = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i > 0) {
            auto line = UIView::create(CGRectMake(0, y, optionWidth, 0.5));
            line->setBackgroundColor(UIColor::lightGrayColor());
            m_choiseView->addSubview(line);
            y += 0.5;
        }
        auto row = choiseItem(CGRectMake(0, y, optionWidth, kRowHeight), rows[i].first, rows[i].second, mutil, answered);
        row->addGestureRecognizer(UITapGestureRecognizer::create(self(),
            &QuestionCardViewController::clickChoiseItem));
        row->setUserInteractionEnabled(true);
        row->setTag(NSInteger(i));
        m_choiseView->addSubview(row);
        y += row->frame().size.height;
    }
    CGRect optionFrame = m_choiseView->frame();
    optionFrame.origin.y = CGRectGetMaxY(m_questionView->frame()) + 20;
    optionFrame.size.height = y;
    m_choiseView->setFrame(optionFrame);

    m_okBtn->setHidden(!mutil);
    setConfirmLook(mutil && answered && greysAnsweredConfirm());

    // Verdict and explanation.
    m_resultView->setHidden(true);
    m_explanView->setHidden(true);
    if (showsVerdict()) {
        for (const auto& child : std::vector<UIViewRef>(m_explanView->subviews()))
            child->removeFromSuperview();
        const CGFloat inner = m_explanView->bounds().size.width - 20;
        auto caption = UILabel::create(CGRectMake(10, 10, inner, 21));
        caption->setBackgroundColor(UIColor::clearColor());
        caption->setTextColor(hex("ff4500"));
        caption->setFont(UIFont::systemFontOfSize(12));
        caption->setText("本题解释");
        m_explanView->addSubview(caption);
        NSString describe = ns::stringForKey(m_quest, "describe");
        if (describe.length() == 0)
            describe = "暂无内容";
        auto font = UIFont::systemFontOfSize(12);
        const CGFloat textHeight = UIStringDrawing::sizeWithFont(describe, font, CGSizeMake(inner, 10000), NSLineBreakByWordWrapping).height;
        auto text = UILabel::create(CGRectMake(10, 31, inner, textHeight));
        text->setBackgroundColor(UIColor::clearColor());
        text->setTextColor(textGrey());
        text->setFont(font);
        text->setNumberOfLines(0);
        text->setText(describe);
        m_explanView->addSubview(text);
        CGRect explanFrame = m_explanView->frame();
        explanFrame.size.height = 21 + 10 + textHeight + 10;
        m_explanView->setFrame(explanFrame);
        if (answered) {
            showResultView();
            m_explanView->setHidden(false);
        }
    }
    placePanels();
    m_vScrollView->setContentOffset(CGPointZero);
}

UIViewRef QuestionCardViewController::choiseItem(CGRect frame, const NSString& item, const NSString& index, bool mutil, bool answered)
{
    bool picked = false;
    if (answered) {
        const NSString stored = storedAnswer();
        picked = stored.rangeOfString(index).location != NSNotFound;
    }
    auto image = UIImage::imageNamed(mutil ? (picked ? "checkbox_checked" : "checkbox_uncheck") : (picked ? "radio_select" : "radio_unselect"));
    const CGSize imageSize = image ? image->size() : CGSizeMake(20, 20);
    auto row = UIView::create(frame);
    const CGFloat textWidth = frame.size.width - 20 - 5 - imageSize.width;
    auto font = UIFont::systemFontOfSize(15);
    const CGFloat h = UIStringDrawing::sizeWithFont(item, font, CGSizeMake(textWidth, 1000), NSLineBreakByWordWrapping).height;
    if (h + 20 > frame.size.height)
        row->setFrame(CGRectMake(frame.origin.x, frame.origin.y, frame.size.width, h + 20));
    const CGFloat rowHeight = row->frame().size.height;
    auto text = UILabel::create(CGRectMake(imageSize.width + 15, (rowHeight - h) / 2, textWidth, h));
    text->setBackgroundColor(UIColor::clearColor());
    text->setTextColor(UIColor::blackColor());
    text->setTextAlignment(NSTextAlignmentLeft);
    text->setFont(font);
    text->setNumberOfLines(0);
    text->setText(item);
    row->addSubview(text);
    auto mark = UIImageView::create(image);
    mark->setFrame(CGRectMake(10, (rowHeight - imageSize.height) / 2, imageSize.width, imageSize.height));
    mark->setTag(kMarkTag);
    row->addSubview(mark);
    return row;
}

void QuestionCardViewController::placePanels()
{
    CGFloat y = CGRectGetMaxY(m_choiseView->frame());
    auto place = [&](const UIViewRef& panel) {
        if (panel->isHidden())
            return;
        CGRect frame = panel->frame();
        frame.origin.y = y + 10;
        panel->setFrame(frame);
        y = CGRectGetMaxY(frame);
    };
    place(m_okBtn);
    place(m_resultView);
    place(m_explanView);
    m_vScrollView->setContentSize(CGSizeMake(m_vScrollView->bounds().size.width, y + 10));
}

void QuestionCardViewController::clickChoiseItem(UITapGestureRecognizer& tap)
{
    if (answerLocked() || !m_quest)
        return;
    auto row = tap.view();
    if (!row)
        return;
    const NSInteger position = row->tag();
    auto mark = std::dynamic_pointer_cast<UIImageView>(row->viewWithTag(kMarkTag));
    if (isMutil()) {
        auto found = std::find(m_mutilChoise.begin(), m_mutilChoise.end(), position);
        const bool adding = found == m_mutilChoise.end();
        if (adding)
            m_mutilChoise.push_back(position);
        else
            m_mutilChoise.erase(found);
        if (mark)
            mark->setImage(UIImage::imageNamed(adding ? "checkbox_checked" : "checkbox_uncheck"));
        return;
    }
    // A new answer replaces the marks of an earlier one.
    for (const auto& other : optionRows()) {
        if (auto otherMark = std::dynamic_pointer_cast<UIImageView>(other->viewWithTag(kMarkTag)))
            otherMark->setImage(UIImage::imageNamed("radio_unselect"));
    }
    if (mark)
        mark->setImage(UIImage::imageNamed("radio_select"));
    NSString answer;
    if (isJudge()) {
        answer = position == 0 ? "Y" : "N";
        m_quest->setObject(answer, NSString("answeryn"));
    } else {
        static const char* const letters[] = { "A", "B", "C", "D" };
        answer = position >= 0 && position < 4 ? NSString(letters[position]) : NSString("");
        m_quest->setObject(answer, NSString("answermany"));
    }
    const bool right = answer.isEqualToString(ns::stringForKey(m_quest, "answer"));
    QuestionManager::shareInstance()->insertAnswered(ns::stringForKey(m_quest, "quid"), isJudge(), answer, right);
    m_quest->setObject(NSNumber::numberWithInteger(right ? 1 : 2), NSString("type"));
    answerRecorded();
}

void QuestionCardViewController::okEvent(UIControl&)
{
    if (answerLocked() || !m_quest)
        return;
    if (m_mutilChoise.empty()) {
        Toast::makeToast(view(), "请选择答案", 1.0, NSString("center"));
        return;
    }
    std::vector<NSInteger> picks = m_mutilChoise;
    std::sort(picks.begin(), picks.end());
    static const char* const letters[] = { "A", "B", "C", "D" };
    NSString answer = "";
    for (NSInteger pick : picks) {
        if (pick < 0 || pick > 3)
            continue;
        answer = answer.length() ? answer + "," + letters[pick] : NSString(letters[pick]);
    }
    m_quest->setObject(answer, NSString("answermany"));
    const bool right = answer.isEqualToString(ns::stringForKey(m_quest, "answer"));
    QuestionManager::shareInstance()->insertAnswered(ns::stringForKey(m_quest, "quid"), false, answer, right);
    m_quest->setObject(NSNumber::numberWithInteger(right ? 1 : 2), NSString("type"));
    if (greysAnsweredConfirm())
        setConfirmLook(true);
    answerRecorded();
}

NSString QuestionCardViewController::wrongVerdict(const NSString& rightAnswer) const
{
    return NSString("您答错了！正确答案是:") + rightAnswer;
}

void QuestionCardViewController::showResultView()
{
    if (!m_quest)
        return;
    m_resultView->setHidden(false);
    if (ns::integerForKey(m_quest, "type") == 1) {
        m_resultView->setText("恭喜您，答对了！");
        m_resultView->setBackgroundColor(hex("8dd0be"));
    } else {
        const NSString answer = ns::stringForKey(m_quest, "answer");
        m_resultView->setText(wrongVerdict(isJudge() ? NSString(answer.isEqualToString("Y") ? "A" : "B") : answer));
        m_resultView->setBackgroundColor(hex("ff7f50"));
    }
    placePanels();
}

void QuestionCardViewController::explanEvent(UIControl&)
{
    m_explanView->setHidden(!m_explanView->isHidden());
    placePanels();
}

// MARK: Video

void QuestionCardViewController::playVideo(UITapGestureRecognizer&)
{
    if (!m_player || !m_player->isPreparedToPlay())
        return;
    m_player->play();
    if (auto mark = m_questionView->viewWithTag(kPlayTag))
        mark->setHidden(true);
}

void QuestionCardViewController::moviePlayBackDidFinish(const std::shared_ptr<NSNotification>& notification)
{
    // Only this screen's own player: other question screens below keep theirs.
    if (!m_player || notification->object() != m_player)
        return;
    if (auto mark = m_questionView->viewWithTag(kPlayTag))
        mark->setHidden(false);
}

void QuestionCardViewController::movieThumbnailLoadComplete(const std::shared_ptr<NSNotification>& notification)
{
    if (!m_player || notification->object() != m_player)
        return;
    auto image = notification->userInfo() ? ns::cast<UIImage>(notification->userInfo()->objectForKey(MPMoviePlayerThumbnailImageKey)) : nullptr;
    if (auto frameView = m_videoFrame.lock(); frameView && image)
        frameView->setImage(image);
    m_player->cancelAllThumbnailImageRequests();
}
