#include "framework/Source/PEAxisTitle.h"

#include "framework/Source/PELayer.h"
#include "framework/Source/PETextLayer.h"
#include "framework/Source/PEUtilities.h"

#include <cmath>
#include <limits>

std::shared_ptr<PEAxisTitle> PEAxisTitle::titleWithText(const NSString& text, const std::shared_ptr<PETextStyle>& style)
{
    return create(std::static_pointer_cast<PELayer>(PETextLayer::create(text, style)));
}

bool PEAxisTitle::init(const std::shared_ptr<PELayer>& layer)
{
    if (!PEAxisLabel::init(layer))
        return false;
    setRotation(std::numeric_limits<double>::quiet_NaN());
    return true;
}

bool PEAxisTitle::isEqual(const id& other) const
{
    if (other.get() == this)
        return true;
    auto title = std::dynamic_pointer_cast<const PEAxisTitle>(other);
    if (!title || std::string_view(title->className()) != className())
        return false;
    return rotation() == title->rotation() && offset() == title->offset() && ns::isEqual(contentLayer(), title->contentLayer())
        && PEDecimalIsEqual(tickLocation(), title->tickLocation());
}

NSUInteger PEAxisTitle::hash() const
{
    return PEAxisLabel::hash() + hashOfDouble(std::abs(rotation())) + hashOfDouble(std::abs(offset()));
}
