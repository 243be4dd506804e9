#pragma once
// A graph class, as a theme keeps it: its name and how to make one.

#include "platform/graphics/CGGeometry.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>

class PEGraph;

struct PEGraphClass {
    std::string name;
    std::function<std::shared_ptr<PEGraph>(CGRect)> make;

    template <class T>
    static PEGraphClass of()
    {
        static_assert(std::is_base_of_v<PEGraph, T>);
        return PEGraphClass { T::staticClassName(), [](CGRect frame) -> std::shared_ptr<PEGraph> { return T::create(frame); } };
    }
    // The registered graph classes by name (the engine's own), nullopt for others.
    static std::optional<PEGraphClass> named(const std::string& name);
};
