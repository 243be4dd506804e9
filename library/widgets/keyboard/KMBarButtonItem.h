#pragma once
// The kind of every item the keyboard bar holds.

#include "platform/uikit/UIBarButtonItem.h"

class KMBarButtonItem : public UIBarButtonItem {
    NS_OBJECT(KMBarButtonItem, UIBarButtonItem)
};
