#include "framework/Source/PEAnnotationHostLayer.h"

#include "framework/Source/PEAnnotation.h"
#include "framework/Source/PEExceptions.h"
#include "framework/Source/PEGraph.h"
#include "platform/foundation/NSArray.h"

#include <algorithm>

PEAnnotationHostLayer::~PEAnnotationHostLayer() = default;

void PEAnnotationHostLayer::addAnnotation(const std::shared_ptr<PEAnnotation>& annotation)
{
    if (!annotation)
        return;
    if (std::find(m_mutableAnnotations.begin(), m_mutableAnnotations.end(), annotation) == m_mutableAnnotations.end())
        m_mutableAnnotations.push_back(annotation);
    annotation->setAnnotationHostLayer(self());
    annotation->positionContentLayer();
}

void PEAnnotationHostLayer::removeAnnotation(const std::shared_ptr<PEAnnotation>& annotation)
{
    auto found = std::find(m_mutableAnnotations.begin(), m_mutableAnnotations.end(), annotation);
    if (!annotation || found == m_mutableAnnotations.end()) {
        auto host = annotation ? annotation->annotationHostLayer() : nullptr;
        PERaise("Tried to remove PEAnnotation from %@. Host layer was %@.", description(),
            host ? host->description() : NSString("(null)"));
    }
    annotation->setAnnotationHostLayer(nullptr);
    m_mutableAnnotations.erase(std::find(m_mutableAnnotations.begin(), m_mutableAnnotations.end(), annotation));
}

void PEAnnotationHostLayer::removeAllAnnotations()
{
    auto annotations = m_mutableAnnotations;
    for (const auto& annotation : annotations)
        annotation->setAnnotationHostLayer(nullptr);
    m_mutableAnnotations.clear();
}

std::optional<PELayer::LayerSet> PEAnnotationHostLayer::sublayersExcludedFromAutomaticLayout() const
{
    auto excluded = PELayer::sublayersExcludedFromAutomaticLayout();
    if (m_mutableAnnotations.empty())
        return excluded;
    LayerSet result = excluded ? *excluded : LayerSet {};
    for (const auto& annotation : m_mutableAnnotations) {
        if (annotation->contentLayer())
            result.insert(annotation->contentLayer());
    }
    return result;
}

void PEAnnotationHostLayer::layoutSublayers()
{
    PELayer::layoutSublayers();
    for (const auto& annotation : annotations())
        annotation->positionContentLayer();
}

bool PEAnnotationHostLayer::offerToAnnotations(EventKind kind, const UIEventRef& event, CGPoint interactionPoint)
{
    // The point comes in the graph's coordinates; content frames are in this layer's.
    CGPoint pointInHost = interactionPoint;
    if (auto owner = graph(); owner && static_cast<const void*>(owner.get()) != static_cast<const void*>(this))
        pointInHost = convertPointFromLayer(interactionPoint, owner);
    for (const auto& annotation : annotations()) {
        auto content = annotation->contentLayer();
        if (!content || !CGRectContainsPoint(content->frame(), pointInHost))
            continue;
        bool handled = false;
        switch (kind) {
        case EventKind::Down:
            handled = content->pointingDeviceDownEvent(event, interactionPoint);
            break;
        case EventKind::Up:
            handled = content->pointingDeviceUpEvent(event, interactionPoint);
            break;
        case EventKind::Dragged:
            handled = content->pointingDeviceDraggedEvent(event, interactionPoint);
            break;
        }
        if (handled)
            return true;
    }
    return false;
}

bool PEAnnotationHostLayer::pointingDeviceDownEvent(const UIEventRef& event, CGPoint interactionPoint)
{
    return offerToAnnotations(EventKind::Down, event, interactionPoint) || PELayer::pointingDeviceDownEvent(event, interactionPoint);
}

bool PEAnnotationHostLayer::pointingDeviceUpEvent(const UIEventRef& event, CGPoint interactionPoint)
{
    return offerToAnnotations(EventKind::Up, event, interactionPoint) || PELayer::pointingDeviceUpEvent(event, interactionPoint);
}

bool PEAnnotationHostLayer::pointingDeviceDraggedEvent(const UIEventRef& event, CGPoint interactionPoint)
{
    return offerToAnnotations(EventKind::Dragged, event, interactionPoint) || PELayer::pointingDeviceDraggedEvent(event, interactionPoint);
}

bool PEAnnotationHostLayer::pointingDeviceCancelledEvent(const UIEventRef& event)
{
    for (const auto& annotation : annotations()) {
        if (auto content = annotation->contentLayer(); content && content->pointingDeviceCancelledEvent(event))
            return true;
    }
    return PELayer::pointingDeviceCancelledEvent(event);
}

void PEAnnotationHostLayer::encodeWithCoder(NSCoder& coder) const
{
    PELayer::encodeWithCoder(coder);
    std::vector<id> objects(m_mutableAnnotations.begin(), m_mutableAnnotations.end());
    coder.encodeObject(NSArray::create(objects), "PEAnnotationHostLayer.mutableAnnotations");
}

bool PEAnnotationHostLayer::init(NSCoder& coder)
{
    if (!PELayer::init(coder))
        return false;
    if (auto array = coder.decodeObjectOfClass<NSArray>("PEAnnotationHostLayer.mutableAnnotations")) {
        for (NSUInteger i = 0; i < array->count(); ++i) {
            if (auto annotation = ns::cast<PEAnnotation>(array->objectAtIndex(i))) {
                m_mutableAnnotations.push_back(annotation);
                // Sublayers are not archived: the content layers go back where they were.
                if (annotation->contentLayer())
                    addSublayer(annotation->contentLayer());
            }
        }
    }
    return true;
}

void PEAnnotationHostLayer::init(const CALayer& layer)
{
    PELayer::init(layer);
    auto model = dynamic_cast<const PEAnnotationHostLayer*>(&layer);
    if (!model)
        return;
    m_mutableAnnotations = model->m_mutableAnnotations;
}
