#pragma once
// The about screen: the header picture, the version, the service phone and web address, the
// legal lines.
#include "app/screens/base/NoXibViewController.h"

class AboutViewController : public NoXibViewController {
    NS_OBJECT(AboutViewController, NoXibViewController)
public:
    static constexpr const char* kServicePhone = "028-8555 0101";
    static constexpr const char* kWebAddress = "www.corvane.example";
    void loadView() override;
};
