#pragma once
// The public suffix list (the system's copy, else the library's own), so that no site sets cookies
// for every site under a shared suffix such as "co.uk".

#include <string>

namespace PublicSuffix {

// A lower-case domain without a leading dot: true for "com", "co.uk", any unknown top-level label.
bool isPublicSuffix(const std::string& domain);
// The suffix plus one label ("example.co.uk" for "a.b.example.co.uk"); the domain itself when it
// has none (a public suffix, an address).
std::string registrableDomain(const std::string& domain);

} // namespace PublicSuffix
