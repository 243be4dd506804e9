#pragma once
// Bytes behind an image, shared and never changed once handed over.

#include "platform/foundation/NSObject.h"

#include <cstdint>
#include <span>
#include <vector>

class CGDataProvider : public NSObject {
    NS_OBJECT(CGDataProvider, NSObject)
public:
    std::span<const std::uint8_t> bytes() const { return *m_bytes; }
    const std::shared_ptr<const std::vector<std::uint8_t>>& sharedBytes() const { return m_bytes; }

protected:
    void init(std::shared_ptr<const std::vector<std::uint8_t>> bytes) { m_bytes = std::move(bytes); }

private:
    std::shared_ptr<const std::vector<std::uint8_t>> m_bytes { std::make_shared<std::vector<std::uint8_t>>() };
};

using CGDataProviderRef = std::shared_ptr<CGDataProvider>;

CGDataProviderRef CGDataProviderCreateWithCFData(std::vector<std::uint8_t> bytes);
CGDataProviderRef CGDataProviderCreateWithCFData(std::span<const std::uint8_t> bytes);
// A copy of the provider's bytes.
std::vector<std::uint8_t> CGDataProviderCopyData(const CGDataProviderRef& provider);
inline CGDataProviderRef CGDataProviderRetain(const CGDataProviderRef& provider) { return provider; }
inline void CGDataProviderRelease(const CGDataProviderRef&) { }
