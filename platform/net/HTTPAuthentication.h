#pragma once
// The challenges a 401 reply offers in its WWW-Authenticate fields, and the one the loading
// system answers: the strongest scheme it can carry out (NTLM when libcurl has it, then Digest,
// then Basic). Any text parses; what is not understood is left out.

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace HTTPAuthentication {

struct Challenge {
    // Lower case.
    std::string scheme;
    // Parameter names in lower case; a token68 value (NTLM's message) under "".
    std::map<std::string, std::string> parameters;

    std::string parameter(const std::string& name) const
    {
        auto found = parameters.find(name);
        return found == parameters.end() ? std::string() : found->second;
    }
};

std::vector<Challenge> parse(std::string_view fieldValue);

// The NSURLAuthenticationMethod… name of the chosen challenge, or empty when none can be
// answered; `chosen` receives the challenge.
std::string chooseMethod(const std::vector<Challenge>& challenges, Challenge* chosen);

// The CURLAUTH_… bit for a method name (any method libcurl has for an unknown one).
unsigned long curlAuthFor(const std::string& method);

bool libcurlSupportsNTLM();

} // namespace HTTPAuthentication
