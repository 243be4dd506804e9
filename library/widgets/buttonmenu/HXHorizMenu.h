#pragma once
// A horizontally scrolling strip of text buttons, a tab bar that may be wider than the screen.
// The data source gives the items and their look; a tap selects one item alone and tells the
// delegate. Neither the data source nor the delegate is owned (the screen that owns the menu is
// usually both).
//
//     auto menu = HXHorizMenu::create(CGRectMake(0, 64, 320, 44));
//     menu->setDataSource(self()); menu->setItemSelectedDelegate(self());
//     menu->reloadData();

#include "platform/text/UIFont.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIScrollView.h"

class HXHorizMenu;

class HXHorizMenuDataSource {
public:
    virtual ~HXHorizMenuDataSource() = default;
    virtual int32_t numberOfItemsForMenu(HXHorizMenu& menu) = 0;
    virtual UIColorRef backgroundColorForMenu(HXHorizMenu& menu) = 0;
    virtual UIImageRef selectedItemImageForMenu(HXHorizMenu& menu) = 0;
    // Nil: no background picture in the normal state.
    virtual UIImageRef itemImageForMenu(HXHorizMenu& menu) = 0;
    virtual UIColorRef selectedItemTitleColor(HXHorizMenu& menu) = 0;
    virtual UIColorRef itemTitleColor(HXHorizMenu& menu) = 0;
    // Nil: the system font of 16 points.
    virtual UIFontRef itemTitleFont(HXHorizMenu& menu) = 0;
    // The text width of every item; 0 or less measures each title.
    virtual CGFloat widthForItem(HXHorizMenu& menu) = 0;
    virtual CGFloat verticalPaddingInMenuBar(HXHorizMenu& menu) = 0;
    virtual CGFloat horizontalPaddingInMenuBar(HXHorizMenu& menu) = 0;
    virtual NSString titleForItemAtIndex(HXHorizMenu& menu, int32_t index) = 0;
};

class HXHorizMenuDelegate {
public:
    virtual ~HXHorizMenuDelegate() = default;
    virtual void itemSelectedAtIndex(HXHorizMenu& menu, NSUInteger index) = 0;
};

class HXHorizMenu : public UIScrollView {
    NS_OBJECT(HXHorizMenu, UIScrollView)
public:
    static constexpr NSInteger kItemTagBase = 10000;

    int32_t itemCount() const { return m_itemCount; }
    const UIImageRef& selectedImage() const { return m_selectedImage; }
    const UIImageRef& itemImage() const { return m_itemImage; }
    const UIColorRef& selectedItemTitleColor() const { return m_selectedItemTitleColor; }
    const UIColorRef& itemTitleColor() const { return m_itemTitleColor; }
    // Kept for the owner; the menu does not read it.
    const std::vector<NSString>& titles() const { return m_titles; }
    void setTitles(std::vector<NSString> titles) { m_titles = std::move(titles); }

    std::shared_ptr<HXHorizMenuDataSource> dataSource() const { return m_dataSource.lock(); }
    void setDataSource(const std::shared_ptr<HXHorizMenuDataSource>& dataSource) { m_dataSource = dataSource; }
    std::shared_ptr<HXHorizMenuDelegate> itemSelectedDelegate() const { return m_itemSelectedDelegate.lock(); }
    void setItemSelectedDelegate(const std::shared_ptr<HXHorizMenuDelegate>& delegate) { m_itemSelectedDelegate = delegate; }

    // Throws away every button and builds them again; the selection goes with them.
    void reloadData();
    // Selects the item alone, scrolls it as near the left edge as the content allows and tells
    // the delegate.
    void setSelectedIndex(int32_t index, bool animated);
    void buttonTapped(UIButton& button);
    UIButtonRef buttonAtIndex(int32_t index);

protected:
    void init(CGRect frame) override;

private:
    void selectExclusively(NSInteger tag);

    int32_t m_itemCount { 0 };
    UIImageRef m_selectedImage;
    UIImageRef m_itemImage;
    UIColorRef m_selectedItemTitleColor;
    UIColorRef m_itemTitleColor;
    std::vector<NSString> m_titles;
    std::weak_ptr<HXHorizMenuDataSource> m_dataSource;
    std::weak_ptr<HXHorizMenuDelegate> m_itemSelectedDelegate;
};

using HXHorizMenuRef = std::shared_ptr<HXHorizMenu>;
