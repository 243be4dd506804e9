#include "library/network/request/RQHTTPRequestOperation.h"
#include "library/network/request/RQStreamingMultipartFormData.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSOperationQueue.h"
#include "tests/net/RawServer.h"
#include "tests/network/request/MultipartSupport.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

namespace {

std::shared_ptr<NSData> bytes(const std::string& text)
{
    return NSData::dataWithBytes(text.data(), text.size());
}

std::shared_ptr<NSMutableURLRequest> postRequest(const std::string& URL = "http://127.0.0.1:9/upload")
{
    auto request = NSMutableURLRequest::requestWithURL(NSURL::URLWithString(URL));
    request->setHTTPMethod("POST");
    return request;
}

// Reads the whole stream with reads of `chunk` bytes, recording how much each read gave.
std::string drain(NSInputStream& stream, std::size_t chunk, std::vector<NSInteger>* reads = nullptr)
{
    stream.open();
    std::string all;
    std::vector<std::uint8_t> buffer(chunk);
    for (int guard = 0; guard < 10'000'000; ++guard) {
        NSInteger count = stream.read(buffer.data(), chunk);
        if (reads)
            reads->push_back(count);
        if (count <= 0)
            break;
        all.append(reinterpret_cast<const char*>(buffer.data()), static_cast<std::size_t>(count));
    }
    return all;
}

std::string contentLength(const std::shared_ptr<NSURLRequest>& request)
{
    return request->valueForHTTPHeaderField("Content-Length").UTF8String();
}

// Records the throttle's waits instead of sleeping through them.
class RecordingBodyStream final : public RQMultipartBodyStream {
    NS_OBJECT(RecordingBodyStream, RQMultipartBodyStream)
public:
    std::vector<NSTimeInterval> waits;

protected:
    void waitAfterChunk(NSTimeInterval delay) override { waits.push_back(delay); }
};

std::shared_ptr<RQHTTPBodyPart> dataPart(const std::string& name, const std::string& value, const NSString& boundary)
{
    auto part = RQHTTPBodyPart::create();
    part->setHeaders(NSDictionary::dictionaryWithObjectsAndKeys({ { NSString("form-data; name=\"" + name + "\""), NSString("Content-Disposition") } }));
    part->setBoundary(boundary);
    part->setBody(bytes(value));
    part->setBodyContentLength(value.size());
    return part;
}

class TemporaryFolder {
public:
    TemporaryFolder() : m_path(std::filesystem::temp_directory_path() / ("corvane-multipart-" + std::to_string(::getpid())))
    {
        std::filesystem::create_directories(m_path);
    }
    ~TemporaryFolder() { std::filesystem::remove_all(m_path); }
    std::string write(const std::string& name, const std::string& content) const
    {
        const auto path = (m_path / name).string();
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    std::string path(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

} // namespace

TEST(MultipartFormData, oneFieldGivesTheExactBodyAndItsLength)
{
    auto form = RQStreamingMultipartFormData::create(postRequest(), NSUTF8StringEncoding);
    form->appendPartWithFormData(bytes("1"), "a");
    auto request = form->requestByFinalizingMultipartFormData();
    const std::string boundary = form->boundary().UTF8String();

    const std::string expected = "--" + boundary + "\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\n1\r\n--" + boundary + "--\r\n";
    EXPECT_EQ(drain(*request->HTTPBodyStream(), 4096), expected);
    EXPECT_EQ(contentLength(request), std::to_string(expected.size()));
    EXPECT_EQ(request->valueForHTTPHeaderField("Content-Type").UTF8String(), "multipart/form-data; boundary=" + boundary);
    EXPECT_TRUE(std::regex_match(boundary, std::regex("Boundary\\+[0-9A-F]{16}")));
    EXPECT_NE(RQStreamingMultipartFormData::create(postRequest(), NSUTF8StringEncoding)->boundary(), form->boundary());
}

TEST(MultipartFormData, laterPartsAreEncapsulatedAndOneByteReadsGiveTheSameBytes)
{
    auto form = RQStreamingMultipartFormData::create(postRequest(), NSUTF8StringEncoding);
    form->appendPartWithFormData(bytes("first"), "a");
    form->appendPartWithFileData(bytes("\x89PNG"), "picture", "p.png", "image/png");
    form->appendPartWithHeaders(NSDictionary::dictionaryWithObjectsAndKeys({ { NSString("x"), NSString("X-Note") } }), bytes(""));
    auto request = form->requestByFinalizingMultipartFormData();
    const std::string B = form->boundary().UTF8String();

    const std::string expected = "--" + B + "\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\nfirst"
        + "\r\n--" + B + "\r\nContent-Disposition: form-data; name=\"picture\"; filename=\"p.png\"\r\nContent-Type: image/png\r\n\r\n\x89PNG"
        + "\r\n--" + B + "\r\nX-Note: x\r\n\r\n" + "\r\n--" + B + "--\r\n";
    std::vector<NSInteger> reads;
    EXPECT_EQ(drain(*request->HTTPBodyStream(), 1, &reads), expected);
    EXPECT_EQ(contentLength(request), std::to_string(expected.size()));
    // Every read but the last gave its one byte; the end reads as 0.
    EXPECT_EQ(reads.size(), expected.size() + 1);
    EXPECT_EQ(reads.back(), 0);

    // A copy reads the same bytes from fresh parts.
    auto copy = std::static_pointer_cast<RQMultipartBodyStream>(form->bodyStream()->copy());
    EXPECT_EQ(drain(*copy, 5), expected);
    // It lends no buffer and keeps no properties.
    std::uint8_t* lent = nullptr;
    NSUInteger lentLength = 1;
    EXPECT_FALSE(copy->getBuffer(&lent, &lentLength));
    EXPECT_EQ(lentLength, 0u);
    EXPECT_FALSE(copy->propertyForKey(NSStreamFileCurrentOffsetKey));
    EXPECT_FALSE(copy->setProperty(NSNumber::numberWithInt(1), NSStreamFileCurrentOffsetKey));
    // A closed stream gives nothing more.
    copy->close();
    std::uint8_t byte;
    EXPECT_EQ(copy->read(&byte, 1), 0);
    EXPECT_FALSE(copy->hasBytesAvailable());
}

TEST(MultipartFormData, headersOfAnyValueAndAMissingBodyStillMakeAWellFormedPart)
{
    auto form = RQStreamingMultipartFormData::create(postRequest(), NSUTF8StringEncoding);
    form->appendPartWithHeaders(NSDictionary::dictionaryWithObjectsAndKeys({ { NSNumber::numberWithInt(5), NSString("X-Count") } }), nullptr);
    form->appendPartWithFormData(nullptr, "none");
    auto request = form->requestByFinalizingMultipartFormData();
    const std::string body = drain(*request->HTTPBodyStream(), 7);
    EXPECT_EQ(std::to_string(body.size()), contentLength(request));
    auto parts = multipart::parse(body, form->boundary().UTF8String());
    ASSERT_TRUE(parts);
    ASSERT_EQ(parts->size(), 2u);
    EXPECT_EQ((*parts)[0].headers["x-count"], "5");
    EXPECT_EQ((*parts)[1].body, "");
}

TEST(MultipartFormData, aFormWithoutPartsLeavesTheRequestUnchanged)
{
    auto form = RQStreamingMultipartFormData::create(postRequest(), NSUTF8StringEncoding);
    auto request = form->requestByFinalizingMultipartFormData();
    EXPECT_TRUE(request->valueForHTTPHeaderField("Content-Type").isNil());
    EXPECT_TRUE(request->valueForHTTPHeaderField("Content-Length").isNil());
    EXPECT_FALSE(request->HTTPBodyStream());
    EXPECT_TRUE(form->bodyStream()->isEmpty());
}

TEST(MultipartFormData, namesCannotBreakOutOfTheirHeader)
{
    auto form = RQStreamingMultipartFormData::create(postRequest(), NSUTF8StringEncoding);
    form->appendPartWithFileData(bytes("v"), "a\"\r\nX-Injected: 1", "evil\".txt", "text/plain");
    auto request = form->requestByFinalizingMultipartFormData();
    auto parts = multipart::parse(drain(*request->HTTPBodyStream(), 64), form->boundary().UTF8String());
    ASSERT_TRUE(parts);
    ASSERT_EQ(parts->size(), 1u);
    EXPECT_EQ((*parts)[0].headers.count("x-injected"), 0u);
    EXPECT_EQ((*parts)[0].headers["content-disposition"], "form-data; name=\"a%22%0D%0AX-Injected: 1\"; filename=\"evil%22.txt\"");
}

TEST(MultipartFormData, fileURLsThatCannotBeSentFailTheAppend)
{
    TemporaryFolder folder;
    auto form = RQStreamingMultipartFormData::create(postRequest(), NSUTF8StringEncoding);
    struct Case {
        std::shared_ptr<NSURL> URL;
        const char* reason;
    };
    const Case cases[] = {
        { NSURL::URLWithString("http://example.com/a.jpg"), "Expected URL to be a file URL" },
        { NSURL::fileURLWithPath(folder.path("missing.jpg")), "File URL not reachable." },
        // A folder has no length to declare.
        { NSURL::fileURLWithPath(folder.path("")), "File size could not be read." },
    };
    for (const auto& item : cases) {
        std::shared_ptr<NSError> error;
        EXPECT_FALSE(form->appendPartWithFileURL(item.URL, "file", &error)) << item.reason;
        ASSERT_TRUE(error) << item.reason;
        EXPECT_EQ(error->domain(), RQNetworkingErrorDomain);
        EXPECT_EQ(error->code(), -1000);
        EXPECT_EQ(NSString::fromId(error->userInfo()->objectForKey(NSLocalizedFailureReasonErrorKey)), item.reason);
        EXPECT_FALSE(form->appendPartWithFileURL(item.URL, "file", "f", "image/jpeg", nullptr));
    }
    EXPECT_FALSE(form->appendPartWithFileURL(nullptr, "file", nullptr));
    EXPECT_TRUE(form->bodyStream()->isEmpty());

    // A picture appended without a type goes as octet-stream under its own file name.
    ASSERT_TRUE(form->appendPartWithFileURL(NSURL::fileURLWithPath(folder.write("photo.jpg", "JPEGDATA")), "file", nullptr));
    auto request = form->requestByFinalizingMultipartFormData();
    auto parts = multipart::parse(drain(*request->HTTPBodyStream(), 3), form->boundary().UTF8String());
    ASSERT_TRUE(parts);
    EXPECT_EQ((*parts)[0].headers["content-disposition"], "form-data; name=\"file\"; filename=\"photo.jpg\"");
    EXPECT_EQ((*parts)[0].headers["content-type"], "application/octet-stream");
    EXPECT_EQ((*parts)[0].body, "JPEGDATA");
}

TEST(MultipartFormData, streamPartsSendExactlyTheirDeclaredLength)
{
    // A stream longer than declared is cut at the declared length.
    auto longer = RQStreamingMultipartFormData::create(postRequest(), NSUTF8StringEncoding);
    longer->appendPartWithInputStream(NSInputStream::inputStreamWithData(bytes("abcdefgh")), "s", "s.bin", 3, "application/octet-stream");
    auto request = longer->requestByFinalizingMultipartFormData();
    const std::string body = drain(*request->HTTPBodyStream(), 4096);
    EXPECT_EQ(std::to_string(body.size()), contentLength(request));
    auto parts = multipart::parse(body, longer->boundary().UTF8String());
    ASSERT_TRUE(parts);
    EXPECT_EQ((*parts)[0].body, "abc");

    // One that ends short fails the body with an error instead of ending it early.
    auto shorter = RQStreamingMultipartFormData::create(postRequest(), NSUTF8StringEncoding);
    shorter->appendPartWithFormData(bytes("x"), "before");
    shorter->appendPartWithInputStream(NSInputStream::inputStreamWithData(bytes("ab")), "s", "s.bin", 10, "application/octet-stream");
    auto stream = shorter->requestByFinalizingMultipartFormData()->HTTPBodyStream();
    std::vector<NSInteger> reads;
    const std::string sent = drain(*stream, 4096, &reads);
    EXPECT_EQ(reads.back(), -1);
    EXPECT_EQ(stream->streamStatus(), NSStreamStatusError);
    ASSERT_TRUE(stream->streamError());
    EXPECT_LT(sent.size(), std::stoull(contentLength(shorter->request())));

    // So does a file that went away after it was appended.
    TemporaryFolder folder;
    auto vanished = RQStreamingMultipartFormData::create(postRequest(), NSUTF8StringEncoding);
    const std::string path = folder.write("gone.bin", "12345");
    ASSERT_TRUE(vanished->appendPartWithFileURL(NSURL::fileURLWithPath(path), "f", "gone.bin", "application/octet-stream", nullptr));
    std::filesystem::remove(path);
    auto vanishedStream = vanished->requestByFinalizingMultipartFormData()->HTTPBodyStream();
    reads.clear();
    drain(*vanishedStream, 4096, &reads);
    EXPECT_EQ(reads.back(), -1);
    EXPECT_EQ(vanishedStream->streamError()->domain(), NSPOSIXErrorDomain);
}

TEST(MultipartFormData, throttlingCapsEachReadAtThePacketSizeAndWaitsAfterEveryChunk)
{
    auto form = RQStreamingMultipartFormData::create(postRequest(), NSUTF8StringEncoding);
    form->throttleBandwidthWithPacketSize(1024, 0.25);
    EXPECT_EQ(form->bodyStream()->numberOfBytesInPacket(), 1024u);
    EXPECT_EQ(form->bodyStream()->delay(), 0.25);
    auto unthrottled = RQMultipartBodyStream::create(NSUTF8StringEncoding);
    EXPECT_EQ(unthrottled->numberOfBytesInPacket(), static_cast<unsigned long long>(INT64_MAX));
    EXPECT_EQ(unthrottled->delay(), 0);

    const NSString boundary = "B";
    auto stream = RecordingBodyStream::create(NSUTF8StringEncoding);
    stream->appendHTTPBodyPart(dataPart("a", std::string(100, 'x'), boundary));
    stream->appendHTTPBodyPart(dataPart("b", "yz", boundary));
    stream->setNumberOfBytesInPacket(64);
    stream->setDelay(0.5);
    std::vector<NSInteger> reads;
    const std::string body = drain(*stream, 1 << 20, &reads);
    EXPECT_EQ(body.size(), stream->contentLength());
    reads.pop_back(); // the end
    for (NSInteger count : reads)
        EXPECT_LE(count, 64);
    EXPECT_EQ(reads.front(), 64);
    // A wait follows each chunk taken from a part, so the one read that spans both parts waits twice.
    const auto firstLength = stream->HTTPBodyParts()[0]->contentLength();
    ASSERT_NE(firstLength % 64, 0u);
    EXPECT_EQ(stream->waits.size(), reads.size() + 1);
    for (NSTimeInterval wait : stream->waits)
        EXPECT_EQ(wait, 0.5);
}

TEST(MultipartFormData, aFiveMegabyteUploadSendsExactlyItsContentLengthAndParsesBack)
{
    TemporaryFolder folder;
    std::string file(5 * 1024 * 1024, '\0');
    for (std::size_t index = 0; index < file.size(); ++index)
        file[index] = static_cast<char>((index * 7919) >> 3);
    const std::string path = folder.write("big.bin", file);

    RawServer server;
    auto form = RQStreamingMultipartFormData::create(postRequest(server.URL("/upload")), NSUTF8StringEncoding);
    form->appendPartWithFormData(bytes("科目一"), "title");
    form->appendPartWithFormData(bytes("42"), "count");
    ASSERT_TRUE(form->appendPartWithFileURL(NSURL::fileURLWithPath(path), "file", "big.bin", "application/octet-stream", nullptr));
    auto request = form->requestByFinalizingMultipartFormData();

    bool finished = false;
    auto operation = RQHTTPRequestOperation::create(request);
    operation->setCompletionBlockWithSuccess([&](const auto&, const id&) { finished = true; }, [&](const auto&, const auto&) { finished = true; });
    auto queue = NSOperationQueue::create();
    queue->addOperation(operation);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return finished && server.done(); }, 60));
    EXPECT_FALSE(operation->error());

    EXPECT_EQ(server.header("Content-Length"), contentLength(request));
    EXPECT_EQ(std::to_string(server.body().size()), server.header("Content-Length"));
    auto parts = multipart::parse(server.body(), form->boundary().UTF8String());
    ASSERT_TRUE(parts);
    ASSERT_EQ(parts->size(), 3u);
    EXPECT_EQ(multipart::parameter((*parts)[0].headers["content-disposition"], "name"), "title");
    EXPECT_EQ((*parts)[0].body, "科目一");
    EXPECT_EQ((*parts)[1].body, "42");
    EXPECT_EQ(multipart::parameter((*parts)[2].headers["content-disposition"], "filename"), "big.bin");
    EXPECT_TRUE((*parts)[2].body == file);
}
