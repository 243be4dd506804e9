#pragma once
// The demonstration pages that are a column of buttons, one a screen to open, over a label
// where the chosen result shows.

#include "platform/uikit/UIButton.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIScreen.h"

#include <initializer_list>
#include <utility>
#include <vector>

inline std::shared_ptr<UIButton> makeDemoButton(const NSString& title, CGRect frame)
{
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    button->setFrame(frame);
    button->setBackgroundColor(UIColor::colorWithRed(0.16, 0.5, 0.73, 1));
    button->layer()->setCornerRadius(6);
    button->setTitle(title, UIControlStateNormal);
    button->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
    return button;
}

template <class Controller>
UIViewRef makeDemoButtonList(const std::shared_ptr<Controller>& controller,
    std::initializer_list<std::pair<const char*, void (Controller::*)()>> entries, std::vector<std::shared_ptr<UIButton>>& buttons,
    std::shared_ptr<UILabel>& resultLabel)
{
    auto view = UIView::create(UIScreen::mainScreen()->bounds());
    view->setBackgroundColor(UIColor::groupTableViewBackgroundColor());
    CGFloat y = 20;
    for (const auto& [title, action] : entries) {
        auto button = makeDemoButton(title, CGRectMake(20, y, 280, 44));
        button->addTarget(controller, action, UIControlEventTouchUpInside);
        view->addSubview(button);
        buttons.push_back(button);
        y += 56;
    }
    resultLabel = UILabel::create(CGRectMake(20, y, 280, 30));
    resultLabel->setTextAlignment(NSTextAlignmentCenter);
    view->addSubview(resultLabel);
    return view;
}
