#pragma once
// A reply as the URL cache keeps it: the response, its body and how it may be stored.

#include "platform/foundation/NSData.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/net/NSURLResponse.h"

enum NSURLCacheStoragePolicy : NSUInteger {
    NSURLCacheStorageAllowed = 0,
    NSURLCacheStorageAllowedInMemoryOnly = 1,
    NSURLCacheStorageNotAllowed = 2,
};

class NSCachedURLResponse final : public NSObject {
    NS_OBJECT(NSCachedURLResponse, NSObject)
public:
    const std::shared_ptr<NSURLResponse>& response() const { return m_response; }
    const std::shared_ptr<NSData>& data() const { return m_data; }
    const std::shared_ptr<NSDictionary>& userInfo() const { return m_userInfo; }
    NSURLCacheStoragePolicy storagePolicy() const { return m_storagePolicy; }

protected:
    void init(const std::shared_ptr<NSURLResponse>& response, const std::shared_ptr<NSData>& data)
    {
        m_response = response;
        m_data = data;
    }
    void init(const std::shared_ptr<NSURLResponse>& response, const std::shared_ptr<NSData>& data,
        const std::shared_ptr<NSDictionary>& userInfo, NSURLCacheStoragePolicy storagePolicy)
    {
        init(response, data);
        m_userInfo = userInfo;
        m_storagePolicy = storagePolicy;
    }

private:
    std::shared_ptr<NSURLResponse> m_response;
    std::shared_ptr<NSData> m_data;
    std::shared_ptr<NSDictionary> m_userInfo;
    NSURLCacheStoragePolicy m_storagePolicy { NSURLCacheStorageAllowed };
};
