#pragma once
// A screen that opens each widget family no client screen uses yet: the arrow menu, the paged
// menu, the progress HUD with its modes, the action sheet, the placeholder text view with the
// return-key handler, the side drawer and the link label.

#include "library/widgets/actionsheet/SHActionSheet.h"
#include "library/widgets/drawer/DWDrawerController.h"
#include "library/widgets/pagedmenu/PGPopupMenu.h"
#include "library/widgets/popupmenu/ArrowMenuItem.h"
#include "library/widgets/textview/KMKeyboardReturnKeyHandler.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UILabel.h"

class WidgetLibraryViewController : public UIViewController, public SHActionSheetDelegate {
    NS_OBJECT(WidgetLibraryViewController, UIViewController)
public:
    void loadView() override;

    void showArrowMenu();
    void showPagedMenu();
    void showProgressHUD();
    void showActionSheet();
    void showTextView();
    void showDrawer();
    void showLinkLabel();
    void itemChosen(ArrowMenuItem& item);
    void pagedItemChosen();
    void didClickOnButtonIndex(SHActionSheet&, NSInteger buttonIndex) override;

    const std::vector<std::shared_ptr<UIButton>>& buttons() const { return m_buttons; }
    const std::shared_ptr<UILabel>& resultLabel() const { return m_resultLabel; }
    const std::shared_ptr<PGPopupMenu>& pagedMenu() const { return m_pagedMenu; }

private:
    std::vector<std::shared_ptr<UIButton>> m_buttons;
    std::shared_ptr<UILabel> m_resultLabel;
    std::shared_ptr<PGPopupMenu> m_pagedMenu;
};

// Two fields and a text view with a placeholder; Return goes on to the next one.
class WidgetTextFormViewController : public UIViewController {
    NS_OBJECT(WidgetTextFormViewController, UIViewController)
public:
    void loadView() override;

private:
    std::shared_ptr<KMKeyboardReturnKeyHandler> m_returnKeyHandler;
};

// A drawer whose centre has the menu button; Close dismisses it.
class WidgetDrawerCentreViewController : public UIViewController {
    NS_OBJECT(WidgetDrawerCentreViewController, UIViewController)
public:
    void loadView() override;
    void menuEvent();
    void closeEvent();
};
