#pragma once
// The officer's home: two tiles and four strips; it sends no request.

#include "app/screens/home/HomeScreen.h"

class AdminHomeViewController : public HomeScreen {
    NS_OBJECT(AdminHomeViewController, HomeScreen)
public:
    void aboutMe(UIControl&) override;
    void menuEvent(UIControl& sender) override;

protected:
    std::vector<std::pair<const char*, const char*>> gridItems() const override;
    std::vector<Strip> stripItems() const override;
};
