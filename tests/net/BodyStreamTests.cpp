#include "platform/net/NSInputStream.h"

#include "platform/foundation/NSPathUtilities.h"
#include "platform/net/NSURLConnection.h"
#include "platform/net/NSURLError.h"
#include "tests/net/ConnectionRecorder.h"
#include "tests/net/LoopbackServer.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

namespace {

std::string fileWith(const std::string& name, const std::string& bytes)
{
    const std::string path = (NSTemporaryDirectory() + NSString(name)).UTF8String();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// A FIFO nobody writes to: opening it for reading the ordinary way waits for ever.
std::string fifoInPlaceOf(const std::string& path)
{
    ::unlink(path.c_str());
    EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
    return path;
}

NSInteger openingError(const std::string& path)
{
    auto stream = NSInputStream::inputStreamWithFileAtPath(NSString(path));
    stream->open();
    EXPECT_EQ(stream->streamStatus(), NSStreamStatusError) << path;
    std::uint8_t byte = 0;
    EXPECT_EQ(stream->read(&byte, 1), -1) << path;
    return stream->streamError() ? stream->streamError()->code() : 0;
}

} // namespace

TEST(BodyStreams, onlyRegularFilesOnDiskAreRead)
{
    const std::string path = fileWith("body.txt", "科目一");
    auto stream = NSInputStream::inputStreamWithFileAtPath(NSString(path));
    stream->open();
    std::uint8_t buffer[64];
    ASSERT_EQ(stream->read(buffer, sizeof buffer), 9);
    EXPECT_EQ(stream->read(buffer, sizeof buffer), 0);
    EXPECT_EQ(stream->streamStatus(), NSStreamStatusAtEnd);

    // Each of these would block, never end, or claim no size: refused on open, which returns.
    EXPECT_EQ(openingError(fifoInPlaceOf(path)), EINVAL);
    EXPECT_EQ(openingError("/dev/zero"), EINVAL);
    EXPECT_EQ(openingError("/proc/self/status"), EINVAL);
    EXPECT_EQ(openingError(NSTemporaryDirectory().UTF8String()), EISDIR);
    EXPECT_EQ(openingError(path + ".missing"), ENOENT);
}

// The upload's file is swapped for a FIFO between choosing it and sending it. The thread that
// sends every request must not wait on it: the upload fails and a GET beside it still loads.
TEST(BodyStreams, anUploadFromAFIFOFailsWithoutHoldingOtherRequests)
{
    loopback::Server server;
    server.routes().Post("/upload", [](const httplib::Request& request, httplib::Response& response) {
        response.set_content(request.body, "text/plain");
    });
    server.routes().Get("/notices", [](const httplib::Request&, httplib::Response& response) { response.set_content("通知", "text/plain"); });
    server.start();

    const std::string path = fileWith("photo.jpg", "picture");
    auto upload = NSMutableURLRequest::requestWithURL(NSURL::URLWithString(NSString(server.URL("/upload"))));
    upload->setHTTPMethod("POST");
    upload->setHTTPBodyStream(NSInputStream::inputStreamWithFileAtPath(NSString(path)));
    fifoInPlaceOf(path);

    auto uploading = std::make_shared<ConnectionRecorder>();
    auto uploadConnection = NSURLConnection::connectionWithRequest(upload, uploading);
    auto reading = std::make_shared<ConnectionRecorder>();
    auto readConnection = NSURLConnection::connectionWithRequest(NSURLRequest::requestWithURL(NSURL::URLWithString(NSString(server.URL("/notices")))), reading);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return uploading->ended() && reading->ended(); }, 30));

    EXPECT_TRUE(reading->finished);
    EXPECT_EQ(reading->body, "通知");
    ASSERT_TRUE(uploading->error);
    EXPECT_EQ(uploading->error->code(), NSURLErrorCannotLoadFromNetwork);
    ::unlink(path.c_str());
}
