#include "library/widgets/coverflow/CoverFlowView.h"

#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/NSNumber.h"
#include "platform/layers/CABasicAnimation.h"
#include "platform/layers/CAGradientLayer.h"
#include "platform/layers/CATextLayer.h"
#include "platform/layers/CATransaction.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UIScreen.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr CGFloat kSideOffset = 150;
constexpr CGFloat kSideSpacing = 80;
constexpr CGFloat kDrop = 10;
constexpr CGFloat kPerspective = -0.002;
constexpr CFTimeInterval kMoveDuration = 1.0;
constexpr CFTimeInterval kFadeDuration = 0.5;
constexpr CGFloat kStepDistance = 61;

} // namespace

std::shared_ptr<CoverFlowView> CoverFlowView::coverFlowViewWithFrame(CGRect frame, const std::vector<UIImageRef>& images,
    const std::vector<NSString>& titles, int32_t sideImageCount, CGFloat sideImageScale, CGFloat middleImageScale)
{
    auto view = create(frame);
    view->m_sideVisibleImageCount = std::max(0, sideImageCount);
    view->m_sideVisibleImageScale = sideImageScale;
    view->m_middleImageScale = middleImageScale;
    view->m_currentRenderingImageIndex = 0;
    view->m_images = images;
    view->m_titles = titles;
    view->m_pan = UIPanGestureRecognizer::create(view, &CoverFlowView::handleGesture);
    view->addGestureRecognizer(view->m_pan);
    view->setupTemplateLayers();
    view->setupImages();
    view->addPageControl();
    return view;
}

void CoverFlowView::init(CGRect frame)
{
    UIView::init(frame);
    CATransform3D perspective = CATransform3DIdentity;
    perspective.m34 = kPerspective;
    layer()->setSublayerTransform(perspective);
}

void CoverFlowView::setupTemplateLayers()
{
    const CGRect b = bounds();
    const CGFloat cx = CGRectGetMidX(b), cy = CGRectGetMidY(b) + kDrop;
    const int32_t n = m_sideVisibleImageCount;
    auto slot = [this](CGPoint position, CGFloat z, const CATransform3D& transform) {
        auto layer = CALayer::layer();
        layer->setPosition(position);
        layer->setZPosition(z);
        layer->setTransform(transform);
        m_templateLayers.push_back(layer);
    };
    for (int32_t k = 0; k <= n; ++k)
        slot(CGPointMake(cx - kSideOffset - kSideSpacing * (n - k), cy), (k - n - 1) * 10.0, CATransform3DMakeRotation(M_PI / 3, 0, 1, 0));
    slot(CGPointMake(cx, cy), 0, CATransform3DIdentity);
    for (int32_t k = 0; k <= n; ++k)
        slot(CGPointMake(cx + kSideOffset + kSideSpacing * k, cy), -10.0 * (k + 1), CATransform3DMakeRotation(-M_PI / 3, 0, 1, 0));
}

CALayerRef CoverFlowView::makeImageLayer(int32_t index, CGFloat scale) const
{
    auto layer = CALayer::layer();
    const UIImageRef& image = m_images[size_t(index)];
    const CGSize size = image ? image->size() : CGSizeZero;
    if (image) {
        layer->setContents(image->CGImage());
        layer->setContentsScale(image->scale());
    }
    layer->setBounds(CGRectMake(0, 0, size.width * scale, size.height * scale));

    // A missing title reads as an empty one.
    const NSString title = size_t(index) < m_titles.size() ? m_titles[size_t(index)] : NSString("");
    auto text = CATextLayer::layer();
    text->setString(title);
    text->setFont(UIFont::fontWithName("Helvetica", 14));
    text->setFontSize(14);
    const CGRect bounds = layer->bounds();
    text->setFrame(CGRectMake(0, bounds.size.height / 3, bounds.size.width, 21));
    text->setAlignmentMode(NSString(kCAAlignmentCenter));
    text->setForegroundColor(UIColor::whiteColor()->CGColor());
    text->setContentsScale(UIScreen::mainScreen()->scale());
    layer->addSublayer(text);
    return layer;
}

void CoverFlowView::place(const CALayerRef& layer, size_t slot) const
{
    const CALayerRef& t = m_templateLayers[std::min(slot, m_templateLayers.size() - 1)];
    layer->setPosition(t->position());
    layer->setZPosition(t->zPosition());
    layer->setTransform(t->transform());
}

void CoverFlowView::showImageAndReflection(const CALayerRef& layer)
{
    const CGRect bounds = layer->bounds();
    auto reflection = CALayer::layer();
    reflection->setContents(layer->contents());
    reflection->setContentsScale(layer->contentsScale());
    reflection->setBounds(bounds);
    reflection->setPosition(CGPointMake(bounds.size.width / 2, bounds.size.height * 1.5));
    reflection->setTransform(CATransform3DMakeRotation(M_PI, 1, 0, 0));

    auto shade = CALayer::layer();
    shade->setBounds(bounds);
    shade->setPosition(CGPointMake(bounds.size.width / 2, bounds.size.height / 2));
    shade->setBackgroundColor(UIColor::blackColor()->CGColor());
    shade->setOpacity(0.6f);
    reflection->addSublayer(shade);

    auto mask = CAGradientLayer::layer();
    mask->setBounds(bounds);
    mask->setPosition(CGPointMake(bounds.size.width / 2, bounds.size.height / 2));
    mask->setColors({ UIColor::clearColor()->CGColor(), UIColor::whiteColor()->CGColor() });
    mask->setStartPoint(CGPointMake(0.5, 0.35));
    mask->setEndPoint(CGPointMake(0.5, 1.0));
    reflection->setMask(mask);

    // The mirror goes first, under the title.
    layer->insertSublayer(reflection, 0);
    this->layer()->addSublayer(layer);
}

void CoverFlowView::setupImages()
{
    const int32_t count = int32_t(m_images.size());
    if (count == 0)
        return;
    const int32_t n = m_sideVisibleImageCount, p = m_currentRenderingImageIndex;
    const int32_t first = std::max(0, p - n), last = std::min(count - 1, p + n);
    const size_t origin = size_t(p >= n ? 1 : n + 1 - p);
    for (int32_t i = first; i <= last; ++i) {
        auto layer = makeImageLayer(i, i == p ? m_middleImageScale : m_sideVisibleImageScale);
        place(layer, origin + size_t(i - first));
        m_imageLayers.push_back(layer);
        showImageAndReflection(layer);
    }
}

void CoverFlowView::scaleBounds(const CALayerRef& layer, CGFloat x, CGFloat y)
{
    const CGRect b = layer->bounds();
    layer->setBounds(CGRectMake(0, 0, b.size.width * x, b.size.height * y));
}

void CoverFlowView::adjustReflectionBounds(const CALayerRef& layer, CGFloat scale)
{
    if (layer->sublayers().empty())
        return;
    const CALayerRef reflection = layer->sublayers().front();
    scaleBounds(reflection, scale, scale);
    const CGRect image = layer->bounds();
    reflection->setPosition(CGPointMake(image.size.width / 2, image.size.height * 1.5));
    const CGRect r = reflection->bounds();
    const CGPoint middle = CGPointMake(r.size.width / 2, r.size.height / 2);
    if (const CALayerRef& mask = reflection->mask()) {
        scaleBounds(mask, scale, scale);
        mask->setPosition(middle);
    }
    if (!reflection->sublayers().empty()) {
        const CALayerRef shade = reflection->sublayers().front();
        scaleBounds(shade, scale, scale);
        shade->setPosition(middle);
    }
}

void CoverFlowView::fadeOutAndRemove(const CALayerRef& layer)
{
    auto fade = CABasicAnimation::animationWithKeyPath("opacity");
    fade->setToValue(NSNumber::numberWithDouble(0));
    fade->setDuration(kFadeDuration);
    fade->setRemovedOnCompletion(false);
    fade->setFillMode(NSString(kCAFillModeForwards));
    layer->addAnimation(fade, "fadeout");
    std::weak_ptr<CALayer> weakLayer = layer;
    DelayedPerform::performSelector(self(), "removeLayerFromSuper:", layer, kFadeDuration, [weakLayer] {
        if (auto strongLayer = weakLayer.lock())
            strongLayer->removeFromSuperlayer();
    });
}

void CoverFlowView::moveOneStep(bool next)
{
    const int32_t count = int32_t(m_images.size());
    const int32_t n = m_sideVisibleImageCount, p = m_currentRenderingImageIndex;
    if (count == 0 || (p == 0 && !next) || (p == count - 1 && next))
        return;
    const int32_t d = next ? -1 : 1;
    const int32_t origin = p >= n ? d + 1 : d + n + 1 - p;
    const int32_t middle = n + 1;
    const int32_t leavingMiddle = next ? n : n + 2;

    CATransaction::begin();
    CATransaction::setAnimationDuration(kMoveDuration);
    for (size_t j = 0; j < m_imageLayers.size(); ++j) {
        const CALayerRef& layer = m_imageLayers[j];
        const int32_t slot = origin + int32_t(j);
        place(layer, size_t(std::max(0, slot)));
        CGFloat factor = 1;
        if (slot == middle)
            factor = m_middleImageScale / m_sideVisibleImageScale;
        else if (slot == leavingMiddle)
            factor = m_sideVisibleImageScale / m_middleImageScale;
        if (factor != 1) {
            scaleBounds(layer, factor, factor);
            adjustReflectionBounds(layer, factor);
            // The title stays centred on the resized picture.
            const CGRect b = layer->bounds();
            for (const auto& sublayer : layer->sublayers())
                if (std::dynamic_pointer_cast<CATextLayer>(sublayer))
                    sublayer->setFrame(CGRectMake(0, b.size.height / 3, b.size.width, 21));
        }
    }

    if (next) {
        if (p >= n) {
            fadeOutAndRemove(m_imageLayers.front());
            m_imageLayers.pop_front();
        }
        if (p < count - 1 - n) {
            auto layer = makeImageLayer(p + n + 1, m_sideVisibleImageScale);
            m_imageLayers.push_back(layer);
            place(layer, size_t(2 * n + 1));
            showImageAndReflection(layer);
        }
        ++m_currentRenderingImageIndex;
    } else {
        if (p + n <= count - 1) {
            fadeOutAndRemove(m_imageLayers.back());
            m_imageLayers.pop_back();
        }
        if (p > n) {
            auto layer = makeImageLayer(p - n - 1, m_sideVisibleImageScale);
            m_imageLayers.push_front(layer);
            place(layer, 1);
            showImageAndReflection(layer);
        }
        --m_currentRenderingImageIndex;
    }
    CATransaction::commit();
}

void CoverFlowView::handleGesture(UIPanGestureRecognizer& recognizer)
{
    if (recognizer.state() != UIGestureRecognizerState::Changed)
        return;
    auto protectedSelf = self();
    const int tx = int(std::trunc(recognizer.translationInView(protectedSelf).x));
    if (std::abs(tx) < kStepDistance)
        return;
    moveOneStep(tx <= 0);
    recognizer.setTranslation(CGPointZero, protectedSelf);
    if (auto delegate = m_delegate.lock())
        delegate->selectedAtIndex(m_currentRenderingImageIndex);
}
