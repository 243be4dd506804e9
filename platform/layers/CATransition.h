#pragma once
// An animated change of a layer's whole appearance. Added to a layer (always under the key
// "transition"), it keeps a picture of the layer as it looked when added and, while it runs,
// the renderer shows that picture going out and the layer's present state coming in: fading,
// pushed or moved in from the subtype's side, or revealed as the old picture slides away.

#include "platform/layers/CAAnimation.h"
#include "platform/graphics/CGImage.h"

inline constexpr const char* kCATransition = "transition";
inline constexpr const char* kCATransitionFade = "fade";
inline constexpr const char* kCATransitionMoveIn = "moveIn";
inline constexpr const char* kCATransitionPush = "push";
inline constexpr const char* kCATransitionReveal = "reveal";
inline constexpr const char* kCATransitionFromRight = "fromRight";
inline constexpr const char* kCATransitionFromLeft = "fromLeft";
inline constexpr const char* kCATransitionFromTop = "fromTop";
inline constexpr const char* kCATransitionFromBottom = "fromBottom";

class CATransition : public CAAnimation {
    NS_OBJECT(CATransition, CAAnimation)
public:
    static std::shared_ptr<CATransition> animation() { return create(); }

    const NSString& type() const { return m_type; }
    void setType(const NSString& type) { m_type = type; }
    const NSString& subtype() const { return m_subtype; }
    void setSubtype(const NSString& subtype) { m_subtype = subtype; }
    float startProgress() const { return m_startProgress; }
    void setStartProgress(float progress) { m_startProgress = progress; }
    float endProgress() const { return m_endProgress; }
    void setEndProgress(float progress) { m_endProgress = progress; }

    id copy() const override;

    // The renderer's view of a running transition: how far it has gone (nothing when it has no
    // effect at the time), and the picture of the layer before it, in the layer's bounds.
    std::optional<CGFloat> progressAtTime(CFTimeInterval parentTime) const;
    const CGImageRef& snapshot() const { return m_snapshot; }
    CGFloat snapshotScale() const { return m_snapshotScale; }
    void setSnapshot(CGImageRef snapshot, CGFloat scale)
    {
        m_snapshot = std::move(snapshot);
        m_snapshotScale = scale;
    }

protected:
    void init(const CATransition& other);

private:
    NSString m_type { kCATransitionFade };
    NSString m_subtype;
    float m_startProgress { 0 };
    float m_endProgress { 1 };
    CGImageRef m_snapshot;
    CGFloat m_snapshotScale { 1 };
};
