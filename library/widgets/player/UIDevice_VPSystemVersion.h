#pragma once
// The running system's version as a number, read once, for the movie player's version branches.

namespace VPSystemVersion {

float iOSVersion();

} // namespace VPSystemVersion
