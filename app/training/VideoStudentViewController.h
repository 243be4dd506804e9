#pragma once
// The learner's course videos of one subject, page by page from the video-learning service, each
// with its watched time, length and progress. Three subject tabs open up to the subject the learner
// has reached; pulling down reloads the list, pulling up fetches the next page; a video opens the
// player on the list's own row. A reply is applied only while it belongs to the latest reload, so
// a late page of another subject never mixes in.

#include "app/screens/base/NoXibViewController.h"
#include "app/services/HttpServiceVideoStud.h"
#include "library/widgets/pulltable/PullTableView.h"
#include "platform/foundation/NSArray.h"

#include <optional>

class VideoStudentViewController : public NoXibViewController, public UITableViewDataSource, public UITableViewDelegate,
                                   public PullTableViewDelegate {
    NS_OBJECT(VideoStudentViewController, NoXibViewController)
public:
    static constexpr NSInteger kPageSize = 100;
    static constexpr CGFloat kRowHeight = 57;

    ~VideoStudentViewController() override;
    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;

    // Sends the request for the next page (or the first, after a reload).
    void loadData();
    void subjectEvent(UIControl& sender);
    void refreshTable();
    void loadMoreDataToTable();
    // Applies a page reply made for the generation (stale ones are dropped).
    void videoListReply(const id& reply, NSUInteger generation, NSInteger page);

    // Redraws the list when a save's answer changed one of its rows.
    void videoRowDidChange(const id& row);

    // Watched and total seconds as "mm:ss", or "h:mm:ss" from an hour on.
    static NSString timeText(long long seconds);

    NSInteger numberOfRowsInSection(UITableView&, NSInteger section) override;
    std::optional<NSInteger> numberOfSectionsInTableView(UITableView&) override { return 1; }
    std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(UITableView& table, const std::shared_ptr<NSIndexPath>& indexPath) override;
    std::optional<CGFloat> heightForRowAtIndexPath(UITableView&, const std::shared_ptr<NSIndexPath>&) override { return kRowHeight; }
    void willDisplayCell(UITableView&, const std::shared_ptr<UITableViewCell>& cell, const std::shared_ptr<NSIndexPath>&) override;
    void didSelectRowAtIndexPath(UITableView& table, const std::shared_ptr<NSIndexPath>& indexPath) override;
    void pullTableViewDidTriggerRefresh(PullTableView&) override;
    void pullTableViewDidTriggerLoadMore(PullTableView&) override;

    const std::shared_ptr<PullTableView>& mTableView() const { return m_tableView; }
    const std::shared_ptr<NSMutableArray>& itemArray() const { return m_itemArray; }
    NSInteger subject() const { return m_subject; }
    NSInteger pageNum() const { return m_pageNum; }
    const std::shared_ptr<UIButton>& tab(NSInteger index) const { return m_tabs.at(static_cast<std::size_t>(index)); }

private:
    void selectTab(NSInteger index);
    void startReload();
    // The request under way ended without rows for the list: the list stays as it was.
    void requestFailed();

    std::shared_ptr<PullTableView> m_tableView;
    std::shared_ptr<NSMutableArray> m_itemArray;
    std::shared_ptr<NSMutableArray> m_subjectArr;
    std::shared_ptr<HttpServiceVideoStud> m_httpService;
    std::vector<std::shared_ptr<UIButton>> m_tabs;
    NSInteger m_subject { 0 };
    // The last page that brought rows to the list shown; the next load asks for the one after it.
    NSInteger m_pageNum { 0 };
    // The subject whose rows the list shows; none before a reload has come back.
    std::optional<NSInteger> m_listedSubject;
    // Bumped by every reload: replies of an earlier one are stale.
    NSUInteger m_generation { 0 };
    // A reload is on its way: its reply replaces the list. Cleared however it ends.
    bool m_isReload { true };
    bool m_loadingMore { false };
};
