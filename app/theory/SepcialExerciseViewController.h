#pragma once
// "专题练习": eight fixed practice kinds in three groups (by question kind, by content kind, and
// favourites and wrong answers); a row loads its questions of the chosen subject and opens
// practice on them. While one row's questions load the others wait.

#include "app/screens/base/NoXibViewController.h"
#include "app/theory/QuestionManager.h"
#include "platform/uikit/UITableView.h"

class SepcialExerciseViewController : public NoXibViewController, public UITableViewDataSource, public UITableViewDelegate {
    NS_OBJECT(SepcialExerciseViewController, NoXibViewController)
public:
    ~SepcialExerciseViewController() override;

    NSInteger subject() const { return m_subject; }
    void setSubject(NSInteger subject) { m_subject = subject; }

    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;

    std::optional<NSInteger> numberOfSectionsInTableView(UITableView&) override;
    NSInteger numberOfRowsInSection(UITableView&, NSInteger section) override;
    std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(UITableView& table, const std::shared_ptr<NSIndexPath>& indexPath) override;
    std::optional<CGFloat> heightForRowAtIndexPath(UITableView&, const std::shared_ptr<NSIndexPath>&) override { return 50; }
    std::optional<CGFloat> heightForHeaderInSection(UITableView&, NSInteger) override { return 30; }
    std::optional<CGFloat> heightForFooterInSection(UITableView&, NSInteger) override { return 1; }
    std::shared_ptr<UIView> viewForHeaderInSection(UITableView& table, NSInteger section) override;
    std::shared_ptr<UIView> viewForFooterInSection(UITableView& table, NSInteger section) override;
    void willDisplayCell(UITableView&, const std::shared_ptr<UITableViewCell>& cell, const std::shared_ptr<NSIndexPath>&) override;
    void didSelectRowAtIndexPath(UITableView& table, const std::shared_ptr<NSIndexPath>& indexPath) override;

    const std::shared_ptr<UITableView>& tableView() const { return m_tableView; }

    struct Row;

private:
    const Row* rowAt(NSInteger section, NSInteger row) const;

    std::shared_ptr<UITableView> m_tableView;
    NSInteger m_subject { 0 };
    bool m_loaderPending { false };
};
