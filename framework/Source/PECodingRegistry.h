#pragma once
// Makes the engine's classes decodable from keyed archives by their names. Registration is
// explicit (a static initialiser in a static library may be dropped by the linker); call it once
// at start-up, before the first archive is read. Calling it again does nothing.

namespace PECodingRegistry {

void registerEngineClasses();

} // namespace PECodingRegistry
