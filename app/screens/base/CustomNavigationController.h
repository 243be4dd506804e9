#pragma once
// The root navigation controller: its system bar stays hidden, since every screen draws its own,
// and the screen on top decides the rotation.

#include "platform/uikit/UINavigationController.h"

class CustomNavigationController : public UINavigationController {
    NS_OBJECT(CustomNavigationController, UINavigationController)
public:
    void viewDidLoad() override;
    bool shouldAutorotate() const override;
    NSUInteger supportedInterfaceOrientations() const override;
    bool shouldAutorotateToInterfaceOrientation(UIInterfaceOrientation orientation) const override;
    // Lets the edge swipe pop the top screen, or not.
    void navigationCanDragBack(bool canDragBack);
};
