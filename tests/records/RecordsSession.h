#pragma once
// The learner's scripted sessions with the records screens: taps that wait for the reply, stars,
// typing, and pictures named "records-<name>.png".

#include "app/records/StarRatingView.h"
#include "tests/app/ClientSession.h"

#include <filesystem>

class RecordsSession : public ClientSession {
protected:
    bool settled()
    {
        return waitUntil([this] { return requestsUnderWay <= 0; });
    }
    void picture(const std::string& name)
    {
        host->advance(1.5);
        const std::filesystem::path folder = CORVANE_SCREENS_DIR;
        std::filesystem::create_directories(folder);
        EXPECT_TRUE(host->writePNG(NSString((folder / ("records-" + name + ".png")).string()))) << name;
    }
    void tapText(const char* text)
    {
        auto view = host->findViewWithText(text);
        ASSERT_TRUE(view) << text;
        host->tap(view);
        host->advance(0.5);
        settled();
        host->advance(0.5);
    }
    // A touch on the star at `index` of the row, on its left half for a half star.
    void tapStar(const std::shared_ptr<StarRatingView>& stars, int index, bool half)
    {
        const CGFloat x = static_cast<CGFloat>(index) * (StarRatingView::kStarSize + StarRatingView::kGap) + (half ? 6 : StarRatingView::kStarSize - 6);
        host->tap(stars->convertPointToView(CGPointMake(x, StarRatingView::kStarSize / 2), nullptr));
        host->advance(0.1);
    }
    // Typed on the keyboard, which then goes away (it would cover the buttons).
    void typeInto(const std::shared_ptr<UIResponder>& field, const char* text)
    {
        ASSERT_TRUE(field->becomeFirstResponder());
        ASSERT_TRUE(host->typeText(text));
        host->advance(0.2);
    }
    void hideKeyboard()
    {
        navigation()->topViewController()->view()->endEditing(true);
        host->advance(0.6);
    }
    // A picture without waiting, for what stays only a moment.
    void shotNow(const std::string& name)
    {
        const std::filesystem::path folder = CORVANE_SCREENS_DIR;
        EXPECT_TRUE(host->writePNG(NSString((folder / ("records-" + name + ".png")).string()))) << name;
    }
    // A tap whose answer shows in the HUD, looked at before the HUD goes.
    void press(const char* text)
    {
        auto view = host->findViewWithText(text);
        ASSERT_TRUE(view) << text;
        host->tap(view);
        host->advance(0.2);
        settled();
    }
};
