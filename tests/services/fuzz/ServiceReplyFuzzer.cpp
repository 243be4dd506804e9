// Service replies as they come off the wire: form- or percent-encoded JSON, decoded and read
// through the reply helpers. Whatever the form encoding of a request writes, the form decoding
// of a reply must read back unchanged (but for a leading byte-order mark).
#include "app/services/ServiceReply.h"
#include "library/json/JSONCodecDeserializing.h"
#include "library/network/request/RQQueryStringPair.h"
#include "platform/foundation/NSDictionary.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const NSString text(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const NSString& decoded : { ServiceReply::formDecode(text), ServiceReply::percentDecode(text) }) {
        id reply = decoded.isNil() ? nullptr : JSONCodecDeserializing::objectFromJSONString(decoded);
        (void)ServiceReply::mainServiceCode(reply);
        (void)ServiceReply::topLevelCode(reply);
        (void)ServiceReply::rows(reply, "array0");
    }
    // A byte-order mark leading the decoded bytes is read as such, not as text.
    const NSString expected = text.hasPrefix(NSString(u"\uFEFF")) ? text.substringFromIndex(1) : text;
    if (text.isNil())
        return 0;
    // The one field "v" as the request encoder writes it: "v=" and the escaped value.
    const NSString field = RQQueryStringFromParameters(NSDictionary::dictionaryWithObjectsAndKeys({ { id(text), id(NSString("v")) } }), NSUTF8StringEncoding);
    const NSString encoded = field.length() >= 2 ? field.substringFromIndex(2) : NSString();
    if (!encoded.isNil() && ServiceReply::formDecode(encoded) != expected) {
        std::fprintf(stderr, "form decoding does not undo form encoding\n");
        std::abort();
    }
    return 0;
}
