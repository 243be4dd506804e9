#include "WidgetPictures.h"
#include "WidgetScreen.h"

#include "library/widgets/textview/KMKeyboardReturnKeyHandler.h"
#include "library/widgets/textview/KMTextView.h"

namespace {

class FormDelegate : public NSObject, public UITextFieldDelegate {
    NS_OBJECT(FormDelegate, NSObject)
public:
    std::optional<bool> textFieldShouldReturn(UITextField& field) override
    {
        returns.push_back(field.tag());
        return keepFocus ? std::optional<bool>(false) : std::nullopt;
    }
    std::vector<NSInteger> returns;
    bool keepFocus { false };
};

class PlaceholderTextViewTest : public WidgetScreenTest {
protected:
    std::shared_ptr<UITextField> addField(CGFloat y, NSInteger tag, const NSString& placeholder)
    {
        auto field = UITextField::create(CGRectMake(20, y, 280, 34));
        field->setBorderStyle(UITextBorderStyle::RoundedRect);
        field->setPlaceholder(placeholder);
        field->setTag(tag);
        screen()->addSubview(field);
        return field;
    }
};

TEST_F(PlaceholderTextViewTest, thePlaceholderShowsWhileEmptyHidesWhileTypingAndComesBack)
{
    auto view = KMTextView::create(CGRectMake(20, 80, 280, 120));
    view->layer()->setBorderWidth(1);
    view->layer()->setBorderColor(UIColor::lightGrayColor()->CGColor());
    view->setFont(UIFont::systemFontOfSize(15));
    screen()->addSubview(view);
    view->setPlaceholder("请输入申诉理由（不超过100字）");
    auto label = view->placeHolderLabel();
    view->setPlaceholder("请输入申诉理由");
    EXPECT_EQ(view->placeHolderLabel(), label);
    EXPECT_EQ(label->font()->pointSize(), 15);
    host->advance(0.1);
    writeWidgetPicture(*host, "text-view-placeholder");
    EXPECT_EQ(label->alpha(), 1);
    // At the top, where typed text starts, not in the middle of the view.
    EXPECT_DOUBLE_EQ(label->frame().origin.y, 8);
    EXPECT_LT(label->frame().size.height, 40);

    host->tap(view);
    host->typeText("教");
    EXPECT_EQ(label->alpha(), 0);
    host->advance(0.3);
    writeWidgetPicture(*host, "text-view-typing");
    host->pressKey(UIKeyboardKey::Backspace);
    EXPECT_EQ(view->text().length(), 0u);
    EXPECT_EQ(label->alpha(), 1);

    view->setText("已填写");
    EXPECT_EQ(label->alpha(), 0);
    view->setText("");
    EXPECT_EQ(label->alpha(), 1);
}

TEST_F(PlaceholderTextViewTest, returnMovesOnThroughTheFieldsAndTheLastResigns)
{
    auto form = FormDelegate::create();
    auto first = addField(80, 1, "姓名");
    auto second = addField(130, 2, "身份证号");
    auto third = addField(180, 3, "手机号");
    first->setDelegate(form);
    auto handler = KMKeyboardReturnKeyHandler::create(root);
    handler->setDelegate(form);
    handler->setLastTextFieldReturnKeyType(UIReturnKeyType::Done);
    EXPECT_EQ(first->returnKeyType(), UIReturnKeyType::Next);
    EXPECT_EQ(second->returnKeyType(), UIReturnKeyType::Next);
    EXPECT_EQ(third->returnKeyType(), UIReturnKeyType::Done);

    host->tap(first);
    host->typeText("张三");
    host->pressReturn();
    EXPECT_TRUE(second->isFirstResponder());
    host->pressReturn();
    EXPECT_TRUE(third->isFirstResponder());
    host->advance(0.3);
    writeWidgetPicture(*host, "return-key-next-field");
    host->pressReturn();
    EXPECT_FALSE(third->isFirstResponder());
    EXPECT_EQ(form->returns, (std::vector<NSInteger> { 1, 2, 3 }));

    form->keepFocus = true;
    host->tap(first);
    host->pressReturn();
    EXPECT_TRUE(first->isFirstResponder());
}

TEST_F(PlaceholderTextViewTest, removingAFieldGivesBackItsOwnReturnKeyAndDelegateOnce)
{
    auto form = FormDelegate::create();
    auto field = addField(80, 1, "姓名");
    addField(130, 2, "密码");
    field->setReturnKeyType(UIReturnKeyType::Search);
    field->setDelegate(form);
    auto handler = KMKeyboardReturnKeyHandler::create(root);
    EXPECT_NE(field->delegate(), std::static_pointer_cast<UITextFieldDelegate>(form));
    ASSERT_TRUE(handler->textFieldCachedInfo(*field));
    handler->updateReturnKeyTypeOnTextField(field);
    EXPECT_EQ(field->returnKeyType(), UIReturnKeyType::Next);
    handler->removeTextFieldView(field);
    EXPECT_EQ(field->returnKeyType(), UIReturnKeyType::Search);
    EXPECT_EQ(field->delegate(), std::static_pointer_cast<UITextFieldDelegate>(form));
    field->setReturnKeyType(UIReturnKeyType::Go);
    handler->removeTextFieldView(field);
    EXPECT_EQ(field->returnKeyType(), UIReturnKeyType::Go);
}

TEST_F(PlaceholderTextViewTest, theHandlerKeepsNeitherTheScreenNorItsFieldsAlive)
{
    std::weak_ptr<UIViewController> weakScreen;
    std::weak_ptr<UITextField> weakField;
    std::shared_ptr<KMKeyboardReturnKeyHandler> handler;
    {
        // A screen that owns its handler and is the fields' delegate before it.
        auto form = FormDelegate::create();
        auto other = UIViewController::create();
        auto field = UITextField::create(CGRectMake(20, 80, 280, 34));
        field->setDelegate(form);
        other->view()->addSubview(field);
        handler = KMKeyboardReturnKeyHandler::create(other);
        weakScreen = other;
        weakField = field;
        EXPECT_TRUE(handler->textFieldCachedInfo(*field));
    }
    EXPECT_TRUE(weakScreen.expired());
    EXPECT_TRUE(weakField.expired());
    handler = nullptr;  // and it goes without touching the fields that went before it
}

} // namespace

namespace {

TEST_F(PlaceholderTextViewTest, aTextViewGoesOnAtReturnAndTheOrderCanFollowTheTags)
{
    auto second = addField(80, 2, "第二");
    auto first = addField(130, 1, "第一");
    auto notes = KMTextView::create(CGRectMake(20, 180, 280, 80));
    notes->setTag(3);
    screen()->addSubview(notes);
    auto handler = KMKeyboardReturnKeyHandler::create(root);
    handler->setToolbarManageBehaviour(1);
    host->tap(first);
    EXPECT_EQ(first->returnKeyType(), UIReturnKeyType::Next);
    host->pressReturn();
    EXPECT_TRUE(second->isFirstResponder());
    host->pressReturn();
    EXPECT_TRUE(notes->isFirstResponder());
    EXPECT_EQ(notes->returnKeyType(), UIReturnKeyType::Default);
    host->typeText("备注");
    host->pressReturn();
    EXPECT_FALSE(notes->isFirstResponder());
}

} // namespace
