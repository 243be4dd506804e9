#include "app/theory/WomenViewController.h"

#include "app/theory/ReadingListLayout.h"
#include "library/network/images/RIImageViewCategories.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/TypedValues.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UITableViewCell.h"

namespace {

constexpr NSInteger kThumbnailTag = 100;
constexpr NSInteger kHeadlineTag = 101;
constexpr NSInteger kSummaryTag = 102;
const char* const kCellIdentifier = "msgCell";

struct Article {
    const char* url;
    const char* subtitle;
    const char* memo;
};

const Article kArticles[] = {
    { "women1", "女士安全驾驶技巧多 用车常识需谨记", "女性如何行车才能避免暗藏的危险？编辑介绍注意事项。" },
    { "women2", "女性驾驶员的安全驾驶", "女性驾驶员数量在增长，安全不容忽视" },
    { "women3", "别总说女司机开车不靠谱 围观男女司机口水战", "女人开车真的要比男人笨吗？下面，咱们来比试比试。" },
    { "women4", "女司机开车不靠谱?事故虽多 致死率却极低", "谨小慎微是女司机的性格优势" },
    { "women5", "惹不起的女司机 盘点女司机10大毛病", "盘点女司机穿高跟鞋的十大毛病" },
    { "women6", "女性驾驶员危险交通行为分析及预防对策", "分析女性驾驶 员在 驾车过程 中存 在的危险行为" },
    { "women7", "每日易说", "女司机怎么了？" },
};

// The thumbnails are the application's own drawings; a remote address would load the same way.
NSString thumbnailAddress(const char* url)
{
    const NSString path = NSBundle::mainBundle()->pathForResource(NSString(url) + "_thumb@2x", "png");
    return path.isNil() ? NSString("") : NSURL::fileURLWithPath(path)->absoluteString();
}

void loadThumbnail(const std::shared_ptr<UIImageView>& view, const NSString& address)
{
    auto url = address.length() ? NSURL::URLWithString(address) : nullptr;
    if (url && url->isFileURL()) {
        UIImageView_RemoteImage::ri_cancelCurrentImageLoad(*view);
        view->setImage(UIImage::imageWithContentsOfFile(url->path()));
        return;
    }
    UIImageView_RemoteImage::ri_setImageWithURL(view, url);
}

} // namespace

void WomenViewController::loadView()
{
    NoXibViewController::loadView();
    m_tableView = ReadingListLayout::prepareScreen(*this, "女士学车", self(), self());
}

void WomenViewController::viewWillAppear(bool animated)
{
    NoXibViewController::viewWillAppear(animated);
    // The table starts below the bar already; an inset for the status bar would only open a gap.
    setAutomaticallyAdjustsScrollViewInsets(false);
    ReadingListLayout::replaceHeader(*m_tableView);
}

void WomenViewController::viewDidLoad()
{
    NoXibViewController::viewDidLoad();
    buildRows();
    ReadingListLayout::fitToRows(*m_tableView, m_itemArray->count(), kRowHeight);
    m_tableView->reloadData();
}

void WomenViewController::buildRows()
{
    m_itemArray = NSMutableArray::array();
    for (const auto& article : kArticles) {
        m_itemArray->addObject(ns::mutableDictionary({ { "title", NSString("女士学车") }, { "subtitle", NSString(article.subtitle) },
            { "memo", NSString(article.memo) }, { "photo", thumbnailAddress(article.url) }, { "url", NSString(article.url) } }));
    }
}

NSInteger WomenViewController::numberOfRowsInSection(UITableView&, NSInteger)
{
    return m_itemArray ? NSInteger(m_itemArray->count()) : 0;
}

std::shared_ptr<UITableViewCell> WomenViewController::cellForRowAtIndexPath(UITableView& table, const std::shared_ptr<NSIndexPath>& indexPath)
{
    auto cell = table.dequeueReusableCellWithIdentifier(kCellIdentifier);
    const CGFloat width = table.bounds().size.width;
    if (!cell) {
        cell = UITableViewCell::create(UITableViewCellStyle::Subtitle, kCellIdentifier);
        auto thumbnail = UIImageView::create(CGRectMake(10, (kRowHeight - 80) / 2, 100, 80));
        thumbnail->setTag(kThumbnailTag);
        cell->contentView()->addSubview(thumbnail);
        // Two lines of the headline's font need a little more than 46 points.
        auto headline = UILabel::create(CGRectMake(120, 0, width - 130, 47));
        headline->setTag(kHeadlineTag);
        headline->setBackgroundColor(UIColor::clearColor());
        headline->setTextColor(UIColor::blackColor());
        headline->setFont(UIFont::systemFontOfSize(16));
        headline->setNumberOfLines(2);
        cell->contentView()->addSubview(headline);
        auto summary = UILabel::create(CGRectMake(120, 47, width - 130, 42));
        summary->setTag(kSummaryTag);
        summary->setBackgroundColor(UIColor::clearColor());
        summary->setTextColor(UIColor::colorWithRed(102 / 255.0, 102 / 255.0, 102 / 255.0, 1));
        summary->setFont(UIFont::systemFontOfSize(14));
        summary->setNumberOfLines(2);
        cell->contentView()->addSubview(summary);
    }
    const NSInteger row = indexPath->row();
    auto item = m_itemArray && row >= 0 && NSUInteger(row) < m_itemArray->count()
        ? ns::dictionaryValue(m_itemArray->objectAtIndex(NSUInteger(row)))
        : nullptr;
    if (auto headline = std::dynamic_pointer_cast<UILabel>(cell->contentView()->viewWithTag(kHeadlineTag)))
        headline->setText(ns::stringForKey(item, "subtitle"));
    if (auto summary = std::dynamic_pointer_cast<UILabel>(cell->contentView()->viewWithTag(kSummaryTag)))
        summary->setText(ns::stringForKey(item, "memo"));
    if (auto thumbnail = std::dynamic_pointer_cast<UIImageView>(cell->contentView()->viewWithTag(kThumbnailTag)))
        loadThumbnail(thumbnail, ns::stringForKey(item, "photo"));
    cell->setSelectionStyle(UITableViewCellSelectionStyle::Gray);
    cell->setAccessoryType(UITableViewCellAccessoryType::None);
    return cell;
}

void WomenViewController::willDisplayCell(UITableView&, const std::shared_ptr<UITableViewCell>& cell, const std::shared_ptr<NSIndexPath>&)
{
    ReadingListLayout::fullWidthSeparator(*cell);
}

void WomenViewController::didSelectRowAtIndexPath(UITableView& table, const std::shared_ptr<NSIndexPath>& indexPath)
{
    ReadingListLayout::openPage(*this, table, indexPath, m_itemArray);
}
