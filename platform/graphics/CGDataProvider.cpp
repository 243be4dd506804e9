#include "platform/graphics/CGDataProvider.h"

CGDataProviderRef CGDataProviderCreateWithCFData(std::vector<std::uint8_t> bytes)
{
    return CGDataProvider::create(std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes)));
}

CGDataProviderRef CGDataProviderCreateWithCFData(std::span<const std::uint8_t> bytes)
{
    return CGDataProviderCreateWithCFData(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

std::vector<std::uint8_t> CGDataProviderCopyData(const CGDataProviderRef& provider)
{
    if (!provider)
        return {};
    return { provider->bytes().begin(), provider->bytes().end() };
}
