#pragma once
// The one road of every service request: the URL from base and action, the saved cookies put
// back, a form-encoded POST with the fixed fields, one HTTP request operation on a fresh queue,
// and the reply decoded, tested for a lost session and handed to the caller on the main thread.
// The three clients differ only in the route they ask for.

#include "library/network/request/RQHTTPRequestOperation.h"
#include "platform/foundation/NSDictionary.h"

#include <functional>

inline constexpr const char* kCorvaneRestartNotification = "Corvane_restart";
inline constexpr const char* kSessionCookiesKey = "sessionCookies";
inline constexpr const char* kSessionIdKey = "SESSIONID";
inline constexpr const char* kServiceLicenseKey = "A7C19D04E2B85F63C0D9174BE6A2F58D";
inline constexpr const char* kServiceAppId = "TSAPP";
inline constexpr NSTimeInterval kServiceRequestTimeout = 30;

// The decoded JSON reply: a dictionary, an array, or nil when the text did not decode.
using HttpServiceSuccess = std::function<void(const id& responseObject)>;
using HttpServiceFailure = RQHTTPRequestOperation::FailureBlock;

struct ServiceRoute {
    enum class Decoding : std::uint8_t {
        Form, // "+" to blank, then percent escapes
        PercentOnly, // percent escapes, "+" kept
        Raw, // the text as it came
    };
    enum class SessionTest : std::uint8_t {
        None,
        MainEnvelope, // output → head → retCode
        TopLevelCode, // code
    };

    Decoding decoding { Decoding::Form };
    SessionTest sessionTest { SessionTest::None };
    bool addsTalkId { false };
    bool logsURL { true };
    bool savesCookies { false };
    bool logsRawText { false };
};

namespace ServiceRoad {

// The caller's fields gain the fixed fields in place; a nil dictionary sends no body at all.
void send(const NSString& baseURL, const NSString& action, const std::shared_ptr<NSMutableDictionary>& fields,
    const ServiceRoute& route, HttpServiceSuccess success, HttpServiceFailure failure);

// The request as the road builds it (cookies put back first), for the road itself and its tests.
std::shared_ptr<NSMutableURLRequest> makeRequest(const NSString& baseURL, const NSString& action,
    const std::shared_ptr<NSMutableDictionary>& fields, const ServiceRoute& route);
// What the caller's success callback receives for a reply text; nil after posting
// "Corvane_restart" sets `sessionLost`.
id readReply(const NSString& text, const ServiceRoute& route, bool& sessionLost);

// The cookie jar into the user defaults after a login, and back before every request.
void saveSessionCookies();
void restoreSessionCookies();

} // namespace ServiceRoad
