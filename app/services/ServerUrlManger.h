#pragma once
// The one place that knows where the four services live, and the guard every network screen
// asks before it sends a request. Each base URL lives in the user defaults and falls back to its
// built-in default while nothing (or the empty text) is stored there.

#include "library/network/reachability/Reachability.h"

#include <functional>

inline constexpr const char* kHttpUrlKey = "http_url";
inline constexpr const char* kHttpUrlForVideoStudKey = "http_url_video";
inline constexpr const char* kHttpUrlForPayKey = "http_url_pay";
inline constexpr const char* kHttpUrlForAppealKey = "http_url_appeal";

class ServerUrlManger : public NSObject {
    NS_OBJECT(ServerUrlManger, NSObject)
public:
    // How the guard finds the application delegate's reachability monitor (nil before launch
    // made one), and how it shows the "network unavailable" alert.
    using ReachabilitySource = std::function<std::shared_ptr<Reachability>()>;
    using NetworkUnavailableAlert = std::function<void(const NSString& title, const NSString& message, const NSString& cancelButtonTitle)>;

    static std::shared_ptr<ServerUrlManger> sharedInstance();
    // Every way of making one yields the shared instance.
    static std::shared_ptr<ServerUrlManger> create() { return sharedInstance(); }
    id copy() const override { return std::const_pointer_cast<NSObject>(shared_from_this()); }

    NSString getHttpUrl() const;
    NSString getHttpUrlForVideoStud() const;
    NSString getHttpUrlForPay() const;
    NSString getHttpUrlForAppeal() const;
    // Also moves the video base: the given text without any "resource/".
    void setHttpUrl(const NSString& url);
    void setHttpUrlForVideoStud(const NSString& url);
    void setHttpUrlForPay(const NSString& url);

    // Main thread only. NO, after an alert, while the monitor reports no network.
    static bool networkIsValid();

    void setReachabilitySource(ReachabilitySource source);
    void setNetworkUnavailableAlert(NetworkUnavailableAlert alert);

private:
    NSString storedOrDefault(const char* key, const NSString& fallback) const;

    ReachabilitySource m_reachabilitySource;
    NetworkUnavailableAlert m_networkUnavailableAlert;
};
