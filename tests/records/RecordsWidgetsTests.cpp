// The records screens' own views: stars scored in half steps, the comment held to 100
// characters whatever is pasted, the fields a save sends, the notice card's place and fade, the
// ruled pad's rules, and a row's tap carrying its record.
#include "app/records/EvaluationFormView.h"
#include "app/records/EvaluationSubmit.h"
#include "app/records/MyTapGestureRecognizer.h"
#include "app/records/NoteView.h"
#include "app/records/NoticeView.h"
#include "app/records/SchoolEvaluateViewController.h"
#include "platform/foundation/TypedValues.h"
#include "platform/text/UIFont.h"
#include "tests/widgets/WidgetPictures.h"
#include "tests/widgets/WidgetScreen.h"

namespace {

using RecordsWidgets = WidgetScreenTest;

TEST_F(RecordsWidgets, starsScoreInHalfStepsAndTheFormSendsItemsInOrder)
{
    EXPECT_EQ(StarRatingView::scoreAtX(-3), 0.5);
    EXPECT_EQ(StarRatingView::scoreAtX(5), 0.5);
    EXPECT_EQ(StarRatingView::scoreAtX(20), 1.0);
    EXPECT_EQ(StarRatingView::scoreAtX(2 * (StarRatingView::kStarSize + StarRatingView::kGap) + 3), 2.5);
    EXPECT_EQ(StarRatingView::scoreAtX(1000), 5.0);

    auto form = EvaluationFormView::create(CGRectMake(0, 0, 320, 0));
    form->setItems(SchoolEvaluateViewController::fixedItems());
    screen()->addSubview(form);
    ASSERT_EQ(form->stars().size(), 5u);
    EXPECT_FALSE(form->everyItemScored());
    EXPECT_TRUE(EvaluationSubmit::problem(*form).isEqualToString("请为每一项打分"));
    const double scores[5] = { 5, 3.5, 4.5, 0.5, 2 };
    for (std::size_t i = 0; i < 5; ++i)
        form->stars()[i]->setScore(scores[i]);
    EXPECT_EQ(EvaluationSubmit::problem(*form).length(), 0u);
    auto fields = EvaluationSubmit::fields("saveEnEvaluateMethod", *form);
    EXPECT_TRUE(ns::stringForKey(fields, "ITEMIDS").isEqualToString("01,02,03,04,05"));
    EXPECT_TRUE(ns::stringForKey(fields, "SCORES").isEqualToString("5,3.5,4.5,0.5,2"));
    EXPECT_TRUE(ns::stringForKey(fields, "METHOD").isEqualToString("saveEnEvaluateMethod"));
}

TEST_F(RecordsWidgets, theCommentHoldsAHundredCharactersWhateverIsPasted)
{
    auto form = EvaluationFormView::create(CGRectMake(0, 0, 320, 0));
    form->setItems(SchoolEvaluateViewController::fixedItems());
    screen()->addSubview(form);
    auto comment = form->commentView();
    std::string ninety;
    for (int i = 0; i < 90; ++i)
        ninety += "好";
    comment->setText(NSString(ninety));
    // A paste of twenty keeps the ten that fit.
    EXPECT_FALSE(*form->shouldChangeTextInRange(*comment, NSRange { 90, 0 }, "教练认真负责场地宽敞教练认真负责场地宽敞"));
    EXPECT_EQ(comment->text().length(), 100u);
    EXPECT_TRUE(comment->text().hasSuffix("教练认真负责场地宽敞"));
    EXPECT_FALSE(*form->shouldChangeTextInRange(*comment, NSRange { 100, 0 }, "再"));
    // Replacing text frees its room; a range past the end is refused.
    EXPECT_TRUE(*form->shouldChangeTextInRange(*comment, NSRange { 0, 2 }, "很好"));
    EXPECT_FALSE(*form->shouldChangeTextInRange(*comment, NSRange { 99, 5 }, "a"));
    EXPECT_EQ(form->comment().length(), 100u);
}

TEST_F(RecordsWidgets, theNoticeCardSitsMidScreenAndGoesAfterItsFade)
{
    auto card = NoticeView::create(screen()->bounds(), ns::dictionary({ { "TITLE", NSString("科目二考试场地调整公告") },
                                                          { "PREDATE", NSString("2015-04-15") }, { "CONTENT", NSString("自5月1日起，科目二考试移至新都考场。") } }));
    screen()->addSubview(card);
    EXPECT_TRUE(CGRectEqualToRect(card->card()->frame(), CGRectMake(20, 124, 280, 320)));
    EXPECT_TRUE(host->findViewWithText("科目二考试场地调整公告"));
    card->closeEvent(*card->closeButton());
    host->advance(0.3);
    EXPECT_TRUE(card->superview());
    host->advance(0.4);
    EXPECT_FALSE(card->superview());
}

TEST_F(RecordsWidgets, thePadIsRuledAtEveryLineAndARowTapCarriesItsRecord)
{
    auto pad = NoteView::create(CGRectMake(10, 100, 300, 120));
    screen()->addSubview(pad);
    const auto rules = pad->ruleOffsets();
    ASSERT_GE(rules.size(), 2u);
    // An empty pad is ruled at the font's leading, the pitch of every line the text view lays out.
    const CGFloat pitch = pad->linePitch();
    EXPECT_DOUBLE_EQ(pitch, pad->font()->leading());
    EXPECT_NEAR(rules[0], pitch + 6.5, 1e-6);
    EXPECT_NEAR(rules[1] - rules[0], pitch, 1e-6);

    auto row = UIView::create(CGRectMake(0, 300, 320, 64));
    screen()->addSubview(row);
    std::shared_ptr<NSDictionary> seen;
    NSString memo;
    auto tap = MyTapGestureRecognizer::create([&](UIGestureRecognizer& sender) {
        auto& own = dynamic_cast<MyTapGestureRecognizer&>(sender);
        seen = own.data();
        memo = own.memo();
    });
    tap->setData(ns::dictionary({ { "EMPLOYEEID", NSString("JL0001") } }));
    tap->setMemo("未评价");
    row->addGestureRecognizer(tap);
    host->tap(CGPointMake(160, 330));
    host->advance(0.5);
    ASSERT_TRUE(seen);
    EXPECT_TRUE(ns::stringForKey(seen, "EMPLOYEEID").isEqualToString("JL0001"));
    EXPECT_TRUE(memo.isEqualToString("未评价"));
}

TEST_F(RecordsWidgets, theRulesShowUnderTheTextAndMoveWithIt)
{
    auto pad = NoteView::create(CGRectMake(10, 100, 300, 120));
    screen()->addSubview(pad);
    pad->setText("科目三考试预约总是排不上，希望增加考试场次。");
    host->runUntilIdle();
    host->advance(0.1);
    const auto rules = pad->ruleOffsets();
    ASSERT_GE(rules.size(), 3u);
    // The rule's red shows at the right of the pad, where no text covers it.
    auto ruled = [&](CGFloat y) {
        for (CGFloat dy = -1; dy <= 1; dy += 0.5) {
            const auto pixel = host->pixelAt(CGPointMake(300, 100 + y + dy));
            if (pixel[0] > 200 && pixel[1] < 200 && pixel[2] < 190)
                return true;
        }
        return false;
    };
    EXPECT_TRUE(ruled(rules[0]));
    EXPECT_TRUE(ruled(rules[2]));
    EXPECT_FALSE(ruled((rules[0] + rules[1]) / 2));
    writeWidgetPicture(*host, "records-note-pad");
}

} // namespace
