#include "library/widgets/pulltable/MessageInterceptor.h"

#include "platform/uikit/UITableViewCell.h"

// Each forward keeps the target alive for the call: a delegate may let go of the table (and so of
// this object) from inside its own handler.
#define TO_RECEIVER(call, fallback)          \
    if (auto receiver = m_receiver.lock())   \
        return receiver->call;               \
    return fallback

void MessageInterceptor::scrollViewDidScroll(UIScrollView& scrollView)
{
    if (auto middleMan = m_middleMan.lock())
        return middleMan->scrollViewDidScroll(scrollView);
    TO_RECEIVER(scrollViewDidScroll(scrollView), void());
}

void MessageInterceptor::scrollViewWillBeginDragging(UIScrollView& scrollView)
{
    if (auto middleMan = m_middleMan.lock())
        return middleMan->scrollViewWillBeginDragging(scrollView);
    TO_RECEIVER(scrollViewWillBeginDragging(scrollView), void());
}

void MessageInterceptor::scrollViewDidEndDragging(UIScrollView& scrollView, bool willDecelerate)
{
    if (auto middleMan = m_middleMan.lock())
        return middleMan->scrollViewDidEndDragging(scrollView, willDecelerate);
    TO_RECEIVER(scrollViewDidEndDragging(scrollView, willDecelerate), void());
}

void MessageInterceptor::scrollViewWillEndDragging(UIScrollView& scrollView, CGPoint velocity, CGPoint* targetContentOffset)
{
    TO_RECEIVER(scrollViewWillEndDragging(scrollView, velocity, targetContentOffset), void());
}

void MessageInterceptor::scrollViewWillBeginDecelerating(UIScrollView& scrollView) { TO_RECEIVER(scrollViewWillBeginDecelerating(scrollView), void()); }
void MessageInterceptor::scrollViewDidEndDecelerating(UIScrollView& scrollView) { TO_RECEIVER(scrollViewDidEndDecelerating(scrollView), void()); }
void MessageInterceptor::scrollViewDidEndScrollingAnimation(UIScrollView& scrollView) { TO_RECEIVER(scrollViewDidEndScrollingAnimation(scrollView), void()); }
std::optional<bool> MessageInterceptor::scrollViewShouldScrollToTop(UIScrollView& scrollView) { TO_RECEIVER(scrollViewShouldScrollToTop(scrollView), std::nullopt); }
void MessageInterceptor::scrollViewDidScrollToTop(UIScrollView& scrollView) { TO_RECEIVER(scrollViewDidScrollToTop(scrollView), void()); }

std::optional<CGFloat> MessageInterceptor::heightForRowAtIndexPath(UITableView& tableView, const std::shared_ptr<NSIndexPath>& indexPath)
{
    TO_RECEIVER(heightForRowAtIndexPath(tableView, indexPath), std::nullopt);
}

std::optional<CGFloat> MessageInterceptor::heightForHeaderInSection(UITableView& tableView, NSInteger section)
{
    TO_RECEIVER(heightForHeaderInSection(tableView, section), std::nullopt);
}

std::optional<CGFloat> MessageInterceptor::heightForFooterInSection(UITableView& tableView, NSInteger section)
{
    TO_RECEIVER(heightForFooterInSection(tableView, section), std::nullopt);
}

std::shared_ptr<UIView> MessageInterceptor::viewForHeaderInSection(UITableView& tableView, NSInteger section)
{
    TO_RECEIVER(viewForHeaderInSection(tableView, section), nullptr);
}

std::shared_ptr<UIView> MessageInterceptor::viewForFooterInSection(UITableView& tableView, NSInteger section)
{
    TO_RECEIVER(viewForFooterInSection(tableView, section), nullptr);
}

void MessageInterceptor::willDisplayCell(UITableView& tableView, const std::shared_ptr<UITableViewCell>& cell, const std::shared_ptr<NSIndexPath>& indexPath)
{
    TO_RECEIVER(willDisplayCell(tableView, cell, indexPath), void());
}

void MessageInterceptor::didEndDisplayingCell(UITableView& tableView, const std::shared_ptr<UITableViewCell>& cell, const std::shared_ptr<NSIndexPath>& indexPath)
{
    TO_RECEIVER(didEndDisplayingCell(tableView, cell, indexPath), void());
}

std::optional<bool> MessageInterceptor::shouldHighlightRowAtIndexPath(UITableView& tableView, const std::shared_ptr<NSIndexPath>& indexPath)
{
    TO_RECEIVER(shouldHighlightRowAtIndexPath(tableView, indexPath), std::nullopt);
}

void MessageInterceptor::didHighlightRowAtIndexPath(UITableView& tableView, const std::shared_ptr<NSIndexPath>& indexPath)
{
    TO_RECEIVER(didHighlightRowAtIndexPath(tableView, indexPath), void());
}

void MessageInterceptor::didUnhighlightRowAtIndexPath(UITableView& tableView, const std::shared_ptr<NSIndexPath>& indexPath)
{
    TO_RECEIVER(didUnhighlightRowAtIndexPath(tableView, indexPath), void());
}

std::optional<std::shared_ptr<NSIndexPath>> MessageInterceptor::willSelectRowAtIndexPath(UITableView& tableView, const std::shared_ptr<NSIndexPath>& indexPath)
{
    TO_RECEIVER(willSelectRowAtIndexPath(tableView, indexPath), std::nullopt);
}

void MessageInterceptor::didSelectRowAtIndexPath(UITableView& tableView, const std::shared_ptr<NSIndexPath>& indexPath)
{
    TO_RECEIVER(didSelectRowAtIndexPath(tableView, indexPath), void());
}

std::optional<std::shared_ptr<NSIndexPath>> MessageInterceptor::willDeselectRowAtIndexPath(UITableView& tableView, const std::shared_ptr<NSIndexPath>& indexPath)
{
    TO_RECEIVER(willDeselectRowAtIndexPath(tableView, indexPath), std::nullopt);
}

void MessageInterceptor::didDeselectRowAtIndexPath(UITableView& tableView, const std::shared_ptr<NSIndexPath>& indexPath)
{
    TO_RECEIVER(didDeselectRowAtIndexPath(tableView, indexPath), void());
}

void MessageInterceptor::accessoryButtonTappedForRowWithIndexPath(UITableView& tableView, const std::shared_ptr<NSIndexPath>& indexPath)
{
    TO_RECEIVER(accessoryButtonTappedForRowWithIndexPath(tableView, indexPath), void());
}
