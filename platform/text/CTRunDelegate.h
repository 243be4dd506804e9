#pragma once
// Inline objects: a run whose attributes carry a delegate takes the delegate's width, ascent and
// descent in its line instead of its glyphs', and draws nothing; the caller draws the object.

#include "platform/foundation/NSObject.h"
#include "platform/graphics/CGGeometry.h"

using CTRunDelegateDeallocateCallback = void (*)(void* refCon);
using CTRunDelegateGetAscentCallback = CGFloat (*)(void* refCon);
using CTRunDelegateGetDescentCallback = CGFloat (*)(void* refCon);
using CTRunDelegateGetWidthCallback = CGFloat (*)(void* refCon);

struct CTRunDelegateCallbacks {
    long version { 0 };
    CTRunDelegateDeallocateCallback dealloc { nullptr };
    CTRunDelegateGetAscentCallback getAscent { nullptr };
    CTRunDelegateGetDescentCallback getDescent { nullptr };
    CTRunDelegateGetWidthCallback getWidth { nullptr };
};

enum : long {
    kCTRunDelegateVersion1 = 1,
    kCTRunDelegateCurrentVersion = kCTRunDelegateVersion1,
};

class CTRunDelegate : public NSObject {
    NS_OBJECT(CTRunDelegate, NSObject)
public:
    ~CTRunDelegate() override;

    void* refCon() const { return m_refCon; }
    // Answers of the callbacks; a missing callback, or one answering a negative or non-finite
    // value, counts as zero.
    CGFloat ascent() const;
    CGFloat descent() const;
    CGFloat width() const;

protected:
    bool init(const CTRunDelegateCallbacks& callbacks, void* refCon);

private:
    CTRunDelegateCallbacks m_callbacks;
    void* m_refCon { nullptr };
};

using CTRunDelegateRef = std::shared_ptr<CTRunDelegate>;

// Nil for callbacks of an unknown version.
CTRunDelegateRef CTRunDelegateCreate(const CTRunDelegateCallbacks* callbacks, void* refCon);
void* CTRunDelegateGetRefCon(const CTRunDelegateRef& runDelegate);
