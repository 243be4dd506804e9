#pragma once
// Class operations the bar and the screen base share: a label's font shrinking to fit, a screen's
// clean-up when it goes, and scroll-view insets that leave room for a bar.

#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIScrollView.h"

class UtilityFunc : public NSObject {
    NS_OBJECT(UtilityFunc, NSObject)
public:
    // The main screen is 568 points high; asked once for the process.
    static bool is4InchScreen();
    // The label's font may shrink to minimumFontSize to fit its width; nil changes nothing.
    static void label(const std::shared_ptr<UILabel>& label, double setMiniFontSize, NSInteger forNumberOfLines);
    // Cancels the delayed performs aimed at the object and removes it from the default
    // notification centre for every notification; nil changes nothing.
    static void cancelPerformRequestAndNotification(const NSObject* object);
    // Adds to the scroll view's insets the room of a navigation bar (44 + the status bar),
    // a tab bar (49) and, on a system of version 7 or later, the status bar times the two
    // multipliers; the content moves down by the top added.
    static void resetScrlView(const std::shared_ptr<UIScrollView>& scrollView, bool contentInsetWithNaviBar, bool tabBar,
        NSInteger iOS7ContentInsetStatusBarHeight, NSInteger inidcatorInsetStatusBarHeight);
    static void resetScrlView(const std::shared_ptr<UIScrollView>& scrollView, bool contentInsetWithNaviBar, bool tabBar)
    {
        resetScrlView(scrollView, contentInsetWithNaviBar, tabBar, 0, 0);
    }
};
