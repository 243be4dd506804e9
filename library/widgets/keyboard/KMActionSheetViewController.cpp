#include "library/widgets/keyboard/KMActionSheetViewController.h"

#include "library/widgets/hud/ScreenWindow.h"
#include "library/widgets/keyboard/KMActionSheetPickerView.h"
#include "platform/foundation/NSAssertMainThread.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIWindow.h"

namespace {

constexpr NSTimeInterval kSlideDuration = 0.3;
// Curve 7, the keyboard's, with begin-from-current-state.
constexpr NSUInteger kSlideOptions = 0x70004;

} // namespace

void KMActionSheetViewController::loadView()
{
    auto view = UIView::create(UIScreen::mainScreen()->bounds());
    view->setBackgroundColor(UIColor::clearColor());
    setView(view);
}
void KMActionSheetViewController::showPickerView(const std::shared_ptr<KMActionSheetPickerView>& pickerView, std::function<void()> completion)
{
    NSAssertMainThread();
    m_pickerView = pickerView;
    // A sheet asked for from an alert's buttons goes over the screens, not the fading alert.
    auto window = ScreenWindow::current();
    auto host = window ? window->rootViewController() : nullptr;
    while (host && host->presentedViewController())
        host = host->presentedViewController();
    if (!host || !pickerView)
        return;
    // The keyboard would stand over the sheet's wheels and leave only its bar in sight.
    window->endEditing(true);

    const auto container = view();
    CGRect sheetFrame = pickerView->frame();
    sheetFrame.origin.y = container->bounds().size.height;
    pickerView->setFrame(sheetFrame);
    container->addSubview(pickerView);
    const CGSize hostSize = host->view()->bounds().size;
    container->setFrame(CGRectMake(0, 0, hostSize.width, hostSize.height));
    container->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    host->addChildViewController(self());
    host->view()->addSubview(container);

    auto sheet = pickerView;
    UIView::animateWithDuration(kSlideDuration, 0, kSlideOptions, [container, sheet] {
        container->setBackgroundColor(UIColor::colorWithWhite(0, 0.5));
        CGRect frame = sheet->frame();
        frame.origin.y = container->bounds().size.height - frame.size.height;
        sheet->setFrame(frame);
    }, [completion = std::move(completion)](bool) {
        if (completion)
            completion();
    });
}
void KMActionSheetViewController::dismissWithCompletion(std::function<void()> completion)
{
    NSAssertMainThread();
    auto protectedSelf = self();
    const auto container = view();
    auto sheet = m_pickerView;
    UIView::animateWithDuration(kSlideDuration, 0, kSlideOptions, [container, sheet] {
        container->setBackgroundColor(UIColor::clearColor());
        if (sheet) {
            CGRect frame = sheet->frame();
            frame.origin.y = container->bounds().size.height;
            sheet->setFrame(frame);
        }
    }, [protectedSelf, sheet, completion = std::move(completion)](bool) {
        if (sheet)
            sheet->removeFromSuperview();
        protectedSelf->willMoveToParentViewController(nullptr);
        protectedSelf->view()->removeFromSuperview();
        protectedSelf->removeFromParentViewController();
        if (completion)
            completion();
    });
}
