#pragma once

#include "platform/uikit/UIViewController.h"

#include <functional>

class KMActionSheetPickerView;

// The invisible container that hosts a sheet over whatever is on screen.
class KMActionSheetViewController : public UIViewController {
    NS_OBJECT(KMActionSheetViewController, UIViewController)
public:
    const std::shared_ptr<KMActionSheetPickerView>& pickerView() const { return m_pickerView; }
    void loadView() override;
    void showPickerView(const std::shared_ptr<KMActionSheetPickerView>& pickerView, std::function<void()> completion);
    void dismissWithCompletion(std::function<void()> completion);

private:
    std::shared_ptr<KMActionSheetPickerView> m_pickerView;
};
