#pragma once
// Themes style a bare graph. Theme classes are registered by name (explicitly, at start-up:
// registerBuiltInThemes) and found again with themeNamed. A theme holds only its graph class.

#include "framework/Source/PEExceptions.h"
#include "framework/Source/PEGraphClass.h"
#include "platform/foundation/NSCoder.h"
#include "platform/graphics/CGGeometry.h"

#include <functional>
#include <vector>

class PEAxisSet;
class PEGraph;
class PEPlotAreaFrame;

class PETheme : public NSObject, public NSCoding {
    NS_OBJECT(PETheme, NSObject)
public:
    struct ThemeClass {
        std::string className;
        NSString name;
        std::function<std::shared_ptr<PETheme>()> make;
    };

    // Raises "PEException" for a class registered before.
    static void registerTheme(const ThemeClass& themeClass);
    template <class T>
    static void registerTheme()
    {
        registerTheme(ThemeClass { T::staticClassName(), T::name(), [] { return std::static_pointer_cast<PETheme>(T::create()); } });
    }
    static std::vector<ThemeClass> themeClasses();
    // A new theme of the class registered under the name; nil for none.
    static std::shared_ptr<PETheme> themeNamed(const NSString& name);
    // The engine's own themes; call once at start-up.
    static void registerBuiltInThemes();
    static NSString name() { return "PETheme"; }
    virtual NSString themeName() const { return className(); }

    const std::optional<PEGraphClass>& graphClass() const { return m_graphClass; }
    // Only subclasses of PEGraph, not PEGraph itself: raises "PEException" otherwise.
    void setGraphClass(const std::optional<PEGraphClass>& graphClass);

    virtual std::shared_ptr<PEGraph> newGraph() { return nullptr; }
    void applyThemeToGraph(const std::shared_ptr<PEGraph>& graph);
    virtual void applyThemeToBackground(const std::shared_ptr<PEGraph>&) { }
    virtual void applyThemeToPlotArea(const std::shared_ptr<PEPlotAreaFrame>&) { }
    virtual void applyThemeToAxisSet(const std::shared_ptr<PEAxisSet>&) { }

    void encodeWithCoder(NSCoder& coder) const override;
    // The registered theme named in the archive (nil for none), with the archived graph class
    // when it names one; an unknown graph class is ignored.
    static std::shared_ptr<PETheme> themeWithCoder(NSCoder& coder);
    const char* classNameForCoder() const override { return "PETheme"; }

protected:
    void init() { }

private:
    std::optional<PEGraphClass> m_graphClass;
};

using PEThemeRef = std::shared_ptr<PETheme>;
