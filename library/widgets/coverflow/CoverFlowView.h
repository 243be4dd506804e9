#pragma once
// A row of pictures in perspective: the middle one faces the viewer at a larger scale, a fixed
// number on each side turn away by 60 degrees and recede, each with its title and a mirror image
// below it. A horizontal pan of more than 60 points moves the row by one picture; the layers
// glide to their places, the picture leaving the row fades out, the next one enters at the edge.
// Only the pictures in view have layers.
//
//     auto flow = CoverFlowView::coverFlowViewWithFrame(frame, images, titles, 2, 0.5, 0.8);
//     flow->setDelegate(self());   // selectedAtIndex(index) after each pan step

#include "platform/layers/CALayer.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIPageControl.h"
#include "platform/uikit/UIPanGestureRecognizer.h"

#include <deque>

class CoverFlowViewDelegate {
public:
    virtual ~CoverFlowViewDelegate() = default;
    virtual void selectedAtIndex(int32_t index) = 0;
};

class CoverFlowView : public UIView {
    NS_OBJECT(CoverFlowView, UIView)
public:
    static std::shared_ptr<CoverFlowView> coverFlowViewWithFrame(CGRect frame, const std::vector<UIImageRef>& images,
        const std::vector<NSString>& titles, int32_t sideImageCount, CGFloat sideImageScale, CGFloat middleImageScale);

    // true: the next picture comes to the middle (the row slides left); false: the previous one.
    void moveOneStep(bool next);
    void handleGesture(UIPanGestureRecognizer& recognizer);

    int32_t currentRenderingImageIndex() const { return m_currentRenderingImageIndex; }
    int32_t sideVisibleImageCount() const { return m_sideVisibleImageCount; }
    CGFloat sideVisibleImageScale() const { return m_sideVisibleImageScale; }
    CGFloat middleImageScale() const { return m_middleImageScale; }
    const std::vector<UIImageRef>& images() const { return m_images; }
    const std::vector<NSString>& titles() const { return m_titles; }
    // The layers of the pictures in view, in picture order.
    const std::deque<CALayerRef>& imageLayers() const { return m_imageLayers; }
    // 2n + 3 unattached layers holding each slot's position, z position and turn.
    const std::vector<CALayerRef>& templateLayers() const { return m_templateLayers; }
    const UIPageControlRef& pageControl() const { return m_pageControl; }
    void setPageControl(const UIPageControlRef& control) { m_pageControl = control; }
    std::shared_ptr<CoverFlowViewDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<CoverFlowViewDelegate>& delegate) { m_delegate = delegate; }
    // Nothing is ever in the middle slot by index: the row keeps its own current index.
    static int32_t getIndexForMiddle() { return 0; }

    // The image layer's mirror image (its first sublayer), its darkening layer and its mask,
    // scaled by the factor and placed again below the picture.
    static void adjustReflectionBounds(const CALayerRef& layer, CGFloat scale);
    static void scaleBounds(const CALayerRef& layer, CGFloat x, CGFloat y);

protected:
    void init(CGRect frame) override;

private:
    void setupTemplateLayers();
    void setupImages();
    void addPageControl() { }
    CALayerRef makeImageLayer(int32_t index, CGFloat scale) const;
    void place(const CALayerRef& layer, size_t slot) const;
    void showImageAndReflection(const CALayerRef& layer);
    void fadeOutAndRemove(const CALayerRef& layer);

    std::vector<UIImageRef> m_images;
    std::vector<NSString> m_titles;
    std::deque<CALayerRef> m_imageLayers;
    std::vector<CALayerRef> m_templateLayers;
    int32_t m_currentRenderingImageIndex { 0 };
    int32_t m_sideVisibleImageCount { 0 };
    CGFloat m_sideVisibleImageScale { 1 };
    CGFloat m_middleImageScale { 1 };
    UIPageControlRef m_pageControl;
    std::weak_ptr<CoverFlowViewDelegate> m_delegate;
    std::shared_ptr<UIPanGestureRecognizer> m_pan;
};

using CoverFlowViewRef = std::shared_ptr<CoverFlowView>;
