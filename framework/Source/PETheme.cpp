#include "framework/Source/PETheme.h"

#include "framework/Source/PEAxisSet.h"
#include "framework/Source/PEGraph.h"
#include "framework/Source/PEPlainWhiteTheme.h"
#include "framework/Source/PEPlotAreaFrame.h"
#include "framework/Source/PEDarkGradientTheme.h"
#include "framework/Source/PESlateTheme.h"
#include "framework/Source/PEXYGraph.h"
#include "platform/foundation/Guarded.h"

namespace {

using Registry = Guarded<std::vector<PETheme::ThemeClass>>;

Registry& registry()
{
    static Registry shared;
    return shared;
}

} // namespace

std::optional<PEGraphClass> PEGraphClass::named(const std::string& name)
{
    if (name == PEXYGraph::staticClassName())
        return of<PEXYGraph>();
    if (name == PEGraph::staticClassName())
        return of<PEGraph>();
    return std::nullopt;
}

void PETheme::registerTheme(const ThemeClass& themeClass)
{
    auto classes = registry().lock();
    for (const auto& existing : *classes) {
        if (existing.className == themeClass.className)
            PERaise(PEThemeAlreadyRegisteredReason, NSString(themeClass.className));
    }
    classes->push_back(themeClass);
}

std::vector<PETheme::ThemeClass> PETheme::themeClasses()
{
    return *registry().lock();
}

std::shared_ptr<PETheme> PETheme::themeNamed(const NSString& name)
{
    for (const auto& themeClass : themeClasses()) {
        if (themeClass.name == name)
            return themeClass.make();
    }
    return nullptr;
}

void PETheme::registerBuiltInThemes()
{
    static std::once_flag once;
    std::call_once(once, [] {
        registerTheme<PEPlainWhiteTheme>();
        registerTheme<PESlateTheme>();
        registerTheme<PEDarkGradientTheme>();
    });
}

void PETheme::setGraphClass(const std::optional<PEGraphClass>& graphClass)
{
    if (graphClass && m_graphClass && graphClass->name == m_graphClass->name)
        return;
    if (!graphClass || graphClass->name == PEGraph::staticClassName() || !graphClass->make)
        PERaise("%s", PEInvalidGraphClassReason);
    m_graphClass = graphClass;
}

void PETheme::applyThemeToGraph(const std::shared_ptr<PEGraph>& graph)
{
    if (!graph)
        return;
    applyThemeToBackground(graph);
    applyThemeToPlotArea(graph->plotAreaFrame());
    applyThemeToAxisSet(graph->axisSet());
}

void PETheme::encodeWithCoder(NSCoder& coder) const
{
    coder.encodeObject(themeName(), "PETheme.name");
    if (m_graphClass)
        coder.encodeObject(NSString(m_graphClass->name), "PETheme.graphClass");
}

std::shared_ptr<PETheme> PETheme::themeWithCoder(NSCoder& coder)
{
    auto name = coder.decodeObjectOfClass<NSStringObject>("PETheme.name");
    if (!name)
        return nullptr;
    auto theme = themeNamed(NSString(name));
    if (!theme)
        return nullptr;
    if (auto graphClassName = coder.decodeObjectOfClass<NSStringObject>("PETheme.graphClass")) {
        auto graphClass = PEGraphClass::named(NSString(graphClassName).UTF8String());
        // An archive naming anything but a graph subclass keeps the theme's own graph class.
        if (graphClass && graphClass->name != PEGraph::staticClassName())
            theme->setGraphClass(graphClass);
    }
    return theme;
}
