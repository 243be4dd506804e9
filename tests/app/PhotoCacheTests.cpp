#include "app/screens/settings/SettingsLayout.h"
#include "app/services/ServiceReply.h"
#include "library/json/JSONCodecDeserializing.h"
#include "library/network/images/RIImageManager.h"
#include "platform/host/HeadlessHost.h"
#include "platform/foundation/TypedValues.h"
#include "tests/app/SessionStandIn.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <vector>

namespace {

// The learner's photo address a login hands out: it carries that session's key.
std::string photoOfALogin(const standin::ServiceStandIn& standIn)
{
    httplib::Client client("127.0.0.1", standIn.mainPort());
    auto answer = client.Post("/Tessalane/resource/sysbl/ctop/dt/interface/distri/distribute",
        "METHOD=loginMethod&PROVINCE=510000&DEPCODE=510100&ROLETYPE=0&USERCODE=510104199203154321&PASSWRD=123456&PHONETYPE=1"
        "&_format_=json&_license_key_=A7C19D04E2B85F63C0D9174BE6A2F58D&_app_id_=TSAPP",
        "application/x-www-form-urlencoded");
    if (!answer)
        return {};
    auto reply = JSONCodecDeserializing::objectFromJSONString(NSString(standin::formDecode(answer->body)));
    return ns::stringForKey(ns::dictionaryValue(ServiceReply::rows(reply, "array1")->firstObject()), "URLIMG").UTF8String();
}

} // namespace

TEST(LearnersPhoto, eachLoginFindsTheOneCachedCopyInsteadOfAddingAnother)
{
    auto host = HeadlessHost::create();
    standin::ServiceStandIn standIn { sessionStandIn() };
    ASSERT_TRUE(standIn.start());
    std::vector<std::string> addresses;
    std::vector<UIImageRef> shown;
    for (int login = 0; login < 2; ++login) {
        addresses.push_back(photoOfALogin(standIn));
        auto view = UIImageView::create(CGRectMake(0, 0, 60, 60));
        SettingsLayout::loadPhoto(view, nullptr, NSString(addresses.back()));
        ASSERT_TRUE(testing_support::runLoopUntil([&] { return view->image() != nullptr; }, testing_support::kSessionWaitSeconds));
        shown.push_back(view->image());
    }
    const std::string& first = addresses[0];
    const std::string& second = addresses[1];
    ASSERT_NE(first, second) << "each session has its own key";
    EXPECT_NE(shown[0], UIImage::imageNamed("img_gr")) << "the photo itself, not the stand-in for a missing one";
    auto manager = RIImageManager::sharedManager();
    // The first address under the key it had while its session lasted.
    EXPECT_EQ(SettingsLayout::photoCacheKey(NSURL::URLWithString(NSString(first)), SettingsLayout::sessionKeyOf(NSString(first))).UTF8String(),
        manager->cacheKeyForURL(NSURL::URLWithString(NSString(second))).UTF8String());
    const auto sent = standIn.requests();
    EXPECT_EQ(std::count_if(sent.begin(), sent.end(), [](const auto& request) { return request.path.starts_with("/Tessalane/photos/"); }), 1)
        << "the second login's photo comes from the cache";

    // Other parts of an address still tell pictures apart.
    EXPECT_EQ(SettingsLayout::photoCacheKey(NSURL::URLWithString("http://h/p.png?size=2&key=AB#top"), "AB").UTF8String(), "http://h/p.png?size=2#top");
    EXPECT_EQ(SettingsLayout::photoCacheKey(NSURL::URLWithString("http://h/p.png?keys=1"), "1").UTF8String(), "http://h/p.png?keys=1");

    // Pictures that do not carry the session's key keep their whole address as their key, even
    // one whose "key" is something else of its own.
    EXPECT_NE(manager->cacheKeyForURL(NSURL::URLWithString("http://h/map.png?key=1")).UTF8String(),
        manager->cacheKeyForURL(NSURL::URLWithString("http://h/map.png?key=2")).UTF8String());
    EXPECT_EQ(manager->cacheKeyForURL(NSURL::URLWithString("http://h/map.png?key=1&x=2")).UTF8String(), "http://h/map.png?key=1&x=2");
}
