#include "framework/Source/PEPlotSpaceAnnotation.h"

#include "framework/Source/PEAnnotationHostLayer.h"
#include "framework/Source/PEExceptions.h"
#include "framework/Source/PEGraph.h"
#include "framework/Source/PEPlotArea.h"
#include "framework/Source/PEPlotAreaFrame.h"
#include "framework/Source/PEPlotSpace.h"
#include "framework/Source/PEUtilities.h"
#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSDecimalNumber.h"
#include "platform/foundation/NSNotificationCenter.h"

PEPlotSpaceAnnotation::~PEPlotSpaceAnnotation()
{
    NSNotificationCenter::defaultCenter()->removeObserver(static_cast<const NSObject*>(this));
}

void PEPlotSpaceAnnotation::init()
{
    init(nullptr, {});
}

void PEPlotSpaceAnnotation::init(const std::shared_ptr<PEPlotSpace>& newPlotSpace, const std::vector<std::shared_ptr<NSNumber>>& anchorPlotPoint)
{
    PEParameterAssert(newPlotSpace);
    m_plotSpace = newPlotSpace;
    m_anchorPlotPoint = anchorPlotPoint;
    NSNotificationCenter::defaultCenter()->addObserver(self(), &PEPlotSpaceAnnotation::setContentNeedsLayout,
        PEPlotSpaceCoordinateMappingDidChangeNotification, newPlotSpace);
}

void PEPlotSpaceAnnotation::encodeWithCoder(NSCoder& coder) const
{
    PEAnnotation::encodeWithCoder(coder);
    coder.encodeObject(NSArray::create(std::vector<id>(m_anchorPlotPoint.begin(), m_anchorPlotPoint.end())), "PEPlotSpaceAnnotation.anchorPlotPoint");
    coder.encodeConditionalObject(m_plotSpace, "PEPlotSpaceAnnotation.plotSpace");
}

bool PEPlotSpaceAnnotation::init(NSCoder& coder)
{
    if (!PEAnnotation::init(coder))
        return false;
    if (auto point = coder.decodeObjectOfClass<NSArray>("PEPlotSpaceAnnotation.anchorPlotPoint")) {
        for (NSUInteger i = 0; i < point->count(); ++i)
            m_anchorPlotPoint.push_back(ns::cast<NSNumber>(point->objectAtIndex(i)));
    }
    m_plotSpace = coder.decodeObjectOfClass<PEPlotSpace>("PEPlotSpaceAnnotation.plotSpace");
    if (m_plotSpace) {
        NSNotificationCenter::defaultCenter()->addObserver(self(), &PEPlotSpaceAnnotation::setContentNeedsLayout,
            PEPlotSpaceCoordinateMappingDidChangeNotification, m_plotSpace);
    }
    return true;
}

void PEPlotSpaceAnnotation::setAnchorPlotPoint(const std::vector<std::shared_ptr<NSNumber>>& point)
{
    m_anchorPlotPoint = point;
    setContentNeedsLayout();
}

void PEPlotSpaceAnnotation::setContentNeedsLayout()
{
    requestHostLayout();
}

void PEPlotSpaceAnnotation::positionContentLayer()
{
    auto host = annotationHostLayer();
    if (!contentLayer() || !host || m_anchorPlotPoint.empty() || !m_plotSpace)
        return;
    std::vector<NSDecimal> decimals;
    // Each number's own decimal value: a plain double keeps all its digits, where the engine's
    // six-place conversion would put a small anchor at 0.
    for (const auto& number : m_anchorPlotPoint)
        decimals.push_back(number ? ns::decimalValue(*number) : PEDecimalWithInt(0));
    CGPoint viewPoint = m_plotSpace->plotAreaViewPointForPlotPoint(decimals.data(), decimals.size());
    CGPoint reference = CGPointZero;
    if (auto graph = m_plotSpace->graph()) {
        if (auto frame = graph->plotAreaFrame()) {
            if (auto area = frame->plotArea())
                reference = host->convertPointFromLayer(viewPoint, area);
        }
    }
    placeContentLayerAt(reference);
}
