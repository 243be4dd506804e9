#include "framework/Source/PEXYAxisSet.h"

#include "framework/Source/PELineStyle.h"
#include "framework/Source/PEUtilities.h"
#include "framework/Source/PEXYAxis.h"

void PEXYAxisSet::init(CGRect frame)
{
    PEAxisSet::init(frame);
    auto x = PEXYAxis::create(frame);
    x->setCoordinate(PECoordinateX);
    x->setTickDirection(PESignNegative);
    auto y = PEXYAxis::create(frame);
    y->setCoordinate(PECoordinateY);
    y->setTickDirection(PESignNegative);
    setAxes({ x, y });
}

std::shared_ptr<PEXYAxis> PEXYAxisSet::xAxis() const { return std::dynamic_pointer_cast<PEXYAxis>(axisForCoordinate(PECoordinateX, 0)); }
std::shared_ptr<PEXYAxis> PEXYAxisSet::yAxis() const { return std::dynamic_pointer_cast<PEXYAxis>(axisForCoordinate(PECoordinateY, 0)); }

void PEXYAxisSet::renderAsVectorInContext(const CGContextRef& context)
{
    if (isHidden() || !borderLineStyle())
        return;
    PEAxisSet::renderAsVectorInContext(context);
    auto superlayer = this->superlayer();
    if (!superlayer)
        return;
    CGRect superBounds = superlayer->bounds();
    if (auto engineSuper = std::dynamic_pointer_cast<PELayer>(superlayer))
        superBounds = engineSuper->bounds();
    CGRect rect = PEPixelAlignRect(context, convertRectFromLayer(superBounds, superlayer));
    borderLineStyle()->setLineStyleInContext(context);
    if (superlayer->cornerRadius() > 0) {
        CGContextBeginPath(context);
        PEAddRoundedRectPathToContext(context, rect, superlayer->cornerRadius());
        borderLineStyle()->strokePathInContext(context);
    } else {
        borderLineStyle()->strokeRect(rect, context);
    }
}
