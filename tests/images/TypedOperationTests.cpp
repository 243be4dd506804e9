#include "library/network/request/RQImageRequestOperation.h"
#include "library/network/request/RQPropertyListRequestOperation.h"
#include "tests/images/ImageTestSupport.h"
#include "tests/net/LoopbackServer.h"

#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSOperationQueue.h"
#include "platform/foundation/NSThread.h"
#include "platform/foundation/TypedValues.h"

#include <gtest/gtest.h>

namespace {

using namespace imagetests;

std::shared_ptr<NSURLRequest> requestFor(const std::string& url, const char* accept = nullptr)
{
    auto request = NSMutableURLRequest::requestWithURL(NSURL::URLWithString(url));
    if (accept)
        request->setValue(accept, "Accept");
    return request;
}

class TypedOperationTest : public testing::Test {
protected:
    void SetUp() override
    {
        png = ImageFixtures::png(6, 4, opaqueBlue);
        server.routes().Get("/photo.png", [this](const httplib::Request&, httplib::Response& response) {
            response.set_content(std::string(png.begin(), png.end()), "image/png");
        });
        server.routes().Get("/page.png", [](const httplib::Request&, httplib::Response& response) { response.set_content("<p>sorry</p>", "text/html"); });
        server.routes().Get("/list.plist", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>name</key><string>Lin</string></dict></plist>",
                "application/x-plist");
        });
        server.routes().Get("/broken.plist", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("<plist><dict><key>", "application/x-plist");
        });
        server.start();
        queue = NSOperationQueue::create();
    }

    std::shared_ptr<NSOperationQueue> queue;
    loopback::Server server;
    std::vector<std::uint8_t> png;
};

TEST_F(TypedOperationTest, EachClassKeepsItsOwnAcceptedSets)
{
    EXPECT_TRUE(RQImageRequestOperation::acceptableContentTypes()->containsObject(NSString("image/png")));
    EXPECT_FALSE(RQImageRequestOperation::acceptableContentTypes()->containsObject(NSString("image/webp")));
    const auto plistTypes = RQPropertyListRequestOperation::acceptableContentTypes()->count();
    const auto baseTypes = RQHTTPRequestOperation::acceptableContentTypes();
    const auto baseCodes = RQHTTPRequestOperation::acceptableStatusCodes()->size();

    RQImageRequestOperation::addAcceptableContentTypes(NSSet::setWithObjects({ NSString("image/webp") }));
    RQImageRequestOperation::addAcceptableStatusCodes(std::make_shared<RQStatusCodeSet>(RQStatusCodeSet { 304 }));

    EXPECT_TRUE(RQImageRequestOperation::acceptableContentTypes()->containsObject(NSString("image/webp")));
    EXPECT_TRUE(RQImageRequestOperation::acceptableContentTypes()->containsObject(NSString("image/png")));
    EXPECT_TRUE(RQImageRequestOperation::acceptableStatusCodes()->contains(304));
    EXPECT_EQ(RQPropertyListRequestOperation::acceptableContentTypes()->count(), plistTypes);
    EXPECT_FALSE(RQPropertyListRequestOperation::acceptableContentTypes()->containsObject(NSString("image/webp")));
    EXPECT_EQ(RQHTTPRequestOperation::acceptableContentTypes(), baseTypes);
    EXPECT_EQ(RQHTTPRequestOperation::acceptableStatusCodes()->size(), baseCodes);
    EXPECT_FALSE(RQPropertyListRequestOperation::acceptableStatusCodes()->contains(304));

    // Codes the base gains reach the typed classes that have none of their own.
    RQHTTPRequestOperation::addAcceptableStatusCodes(std::make_shared<RQStatusCodeSet>(RQStatusCodeSet { 418 }));
    EXPECT_TRUE(RQPropertyListRequestOperation::acceptableStatusCodes()->contains(418));
}

TEST_F(TypedOperationTest, RequestsAreTakenByExtensionOrByTheirAcceptField)
{
    EXPECT_TRUE(RQImageRequestOperation::canProcessRequest(requestFor("http://h/a.png", "text/html")));
    EXPECT_FALSE(RQImageRequestOperation::canProcessRequest(requestFor("http://h/a.PNG", "text/html")));
    EXPECT_TRUE(RQImageRequestOperation::canProcessRequest(requestFor("http://h/a", "image/png")));
    EXPECT_TRUE(RQPropertyListRequestOperation::canProcessRequest(requestFor("http://h/a.plist", "text/html")));
    EXPECT_FALSE(RQPropertyListRequestOperation::canProcessRequest(requestFor("http://h/a.json", "text/html")));
}

TEST_F(TypedOperationTest, AnImageOperationDecodesAtTheScreensScaleAndRefusesAWrongContentType)
{
    UIImageRef image;
    std::shared_ptr<NSHTTPURLResponse> response;
    bool onMain = false;
    auto operation = RQImageRequestOperation::imageRequestOperationWithRequest(requestFor(server.URL("/photo.png")), nullptr,
        [&](const std::shared_ptr<NSURLRequest>&, const std::shared_ptr<NSHTTPURLResponse>& reply, const UIImageRef& decoded) {
            image = decoded;
            response = reply;
            onMain = NSThread::isMainThread();
        },
        nullptr);
    queue->addOperation(operation);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return image != nullptr; }));
    EXPECT_TRUE(onMain);
    EXPECT_EQ(response->statusCode(), 200);
    EXPECT_EQ(image->scale(), 2);
    EXPECT_EQ(image->size().width, 3);
    EXPECT_EQ(operation->responseImage(), image);
    operation->setImageScale(2);
    EXPECT_EQ(operation->responseImage(), image);
    operation->setImageScale(1);
    EXPECT_EQ(operation->responseImage()->scale(), 1);
    EXPECT_EQ(operation->responseImage()->size().width, 6);

    std::shared_ptr<NSError> error;
    bool succeeded = false;
    auto refused = RQImageRequestOperation::imageRequestOperationWithRequest(requestFor(server.URL("/page.png")), nullptr,
        [&](const std::shared_ptr<NSURLRequest>&, const std::shared_ptr<NSHTTPURLResponse>&, const UIImageRef&) { succeeded = true; },
        [&](const std::shared_ptr<NSURLRequest>&, const std::shared_ptr<NSHTTPURLResponse>&, const std::shared_ptr<NSError>& failure) { error = failure; });
    queue->addOperation(refused);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return error != nullptr; }));
    EXPECT_FALSE(succeeded);
    EXPECT_EQ(error->domain(), RQNetworkingErrorDomain);
    EXPECT_EQ(error->code(), -1016);

    UIImageRef processed;
    auto processing = RQImageRequestOperation::imageRequestOperationWithRequest(requestFor(server.URL("/photo.png")),
        [](const UIImageRef& decoded) { return UIImage::imageWithCGImage(decoded->CGImage(), 1, UIImageOrientationDown); },
        [&](const std::shared_ptr<NSURLRequest>&, const std::shared_ptr<NSHTTPURLResponse>&, const UIImageRef& result) { processed = result; }, nullptr);
    queue->addOperation(processing);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return processed != nullptr; }));
    EXPECT_EQ(processed->imageOrientation(), UIImageOrientationDown);
}

TEST_F(TypedOperationTest, APropertyListOperationParsesOrFailsWithTheParsersError)
{
    id list;
    auto operation = RQPropertyListRequestOperation::propertyListRequestOperationWithRequest(requestFor(server.URL("/list.plist")),
        [&](const std::shared_ptr<NSURLRequest>&, const std::shared_ptr<NSHTTPURLResponse>&, const id& plist) { list = plist; }, nullptr);
    queue->addOperation(operation);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return list != nullptr; }));
    EXPECT_EQ(ns::stringForKey(ns::dictionaryValue(list), "name"), "Lin");
    EXPECT_FALSE(operation->error());

    std::shared_ptr<NSError> error;
    bool succeeded = false;
    auto broken = RQPropertyListRequestOperation::propertyListRequestOperationWithRequest(requestFor(server.URL("/broken.plist")),
        [&](const std::shared_ptr<NSURLRequest>&, const std::shared_ptr<NSHTTPURLResponse>&, const id&) { succeeded = true; },
        [&](const std::shared_ptr<NSURLRequest>&, const std::shared_ptr<NSHTTPURLResponse>&, const std::shared_ptr<NSError>& failure, const id& plist) {
            error = failure;
            EXPECT_FALSE(plist);
        });
    queue->addOperation(broken);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return error != nullptr; }));
    EXPECT_FALSE(succeeded);
    EXPECT_EQ(broken->error(), error);
}

} // namespace
