// The request bodies of a network operation and the texts it gives for logging.

#include "library/network/engine/NENetworkOperation.h"

#include "library/network/engine/NSDictionary_RequestEncoding.h"
#include "library/network/engine/NSString_NEEngineAdditions.h"
#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSFileManager.h"
#include "platform/foundation/NSPathUtilities.h"
#include "platform/foundation/OrdinaryFile.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <memory>
#include <random>

namespace {

// Field and file names go between double quotes in a part's header: a quote or a line break in
// them must not end the header, so they are escaped as form submissions escape them.
NSString escapedPartName(const NSString& name)
{
    return name.stringByReplacingOccurrencesOfString("\"", "%22")
        .stringByReplacingOccurrencesOfString("\r", "%0D")
        .stringByReplacingOccurrencesOfString("\n", "%0A");
}

// A text between single quotes that a shell reads back unchanged.
NSString shellQuoted(const NSString& text)
{
    return NSString::stringWithFormat("'%@'", text.stringByReplacingOccurrencesOfString("'", "'\\''"));
}

NSString charsetText(NSStringEncoding encoding)
{
    return ns::IANACharsetNameForEncoding(encoding);
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// A part's file is read only when it is an ordinary file, opened without waiting.
std::FILE* openRegularFile(const NSString& path)
{
    int error = 0;
    const int fd = path.isNil() ? -1 : OrdinaryFile::openForReading(path.UTF8String(), error);
    if (fd < 0)
        return nullptr;
    std::FILE* file = ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0 ? ::fdopen(fd, "rb") : nullptr;
    if (!file)
        ::close(fd);
    return file;
}

std::shared_ptr<NSError> unreadableFileError(const NSString& path)
{
    return NSError::errorWithDomain(NSCocoaErrorDomain, NSFileReadNoSuchFileError,
        NSDictionary::dictionaryWithObjectsAndKeys({ { path, NSString("NSFilePath") },
            { NSString::stringWithFormat("The file %@ could not be read.", path), NSString(NSLocalizedDescriptionKey) } }));
}

} // namespace

NEPostDataEncoding NENetworkOperation::postDataEncoding() const
{
    auto shared = m_shared.lock();
    return shared->postDataEncoding;
}

void NENetworkOperation::setPostDataEncoding(NEPostDataEncoding encoding)
{
    auto shared = m_shared.lock();
    shared->postDataEncoding = encoding;
    const NSString charset = charsetText(shared->stringEncoding);
    switch (encoding) {
    case NEPostDataEncodingTypeURL:
        shared->request->setValue(NSString::stringWithFormat("application/x-www-form-urlencoded; charset=%@", charset), "Content-Type");
        break;
    case NEPostDataEncodingTypeJSON:
        shared->request->setValue(NSString::stringWithFormat("application/json; charset=%@", charset), "Content-Type");
        break;
    case NEPostDataEncodingTypePlist:
        shared->request->setValue(NSString::stringWithFormat("application/x-plist; charset=%@", charset), "Content-Type");
        break;
    default:
        break;
    }
}

void NENetworkOperation::setCustomPostDataEncodingHandler(EncodingBlock handler, const NSString& contentType)
{
    setPostDataEncoding(NEPostDataEncodingTypeCustom);
    auto shared = m_shared.lock();
    shared->postDataEncodingHandler = std::move(handler);
    shared->request->setValue(NSString::stringWithFormat("%@; charset=%@", contentType, charsetText(shared->stringEncoding)), "Content-Type");
}

NSString NENetworkOperation::encodedPostDataString() const
{
    EncodingBlock handler;
    std::shared_ptr<NSDictionary> fields;
    NEPostDataEncoding encoding;
    {
        auto shared = m_shared.lock();
        handler = shared->postDataEncodingHandler;
        fields = shared->fieldsToBePosted->copyDictionary();
        encoding = shared->postDataEncoding;
    }
    if (handler)
        return handler(fields);
    switch (encoding) {
    case NEPostDataEncodingTypeURL: return NSDictionary_RequestEncoding::urlEncodedKeyValueString(fields);
    case NEPostDataEncodingTypeJSON: return NSDictionary_RequestEncoding::jsonEncodedKeyValueString(fields);
    case NEPostDataEncodingTypePlist: return NSDictionary_RequestEncoding::plistEncodedKeyValueString(fields);
    default: return NSString::string();
    }
}

void NENetworkOperation::addData(const std::shared_ptr<NSData>& data, const NSString& key)
{
    addData(data, key, "application/octet-stream", "file");
}

void NENetworkOperation::addData(const std::shared_ptr<NSData>& data, const NSString& key, const NSString& mimeType, const NSString& fileName)
{
    auto shared = m_shared.lock();
    if (shared->request->HTTPMethod() == "GET")
        shared->request->setHTTPMethod("POST");
    shared->dataToBePosted->addObject(NSDictionary::dictionaryWithObjectsAndKeys({ { data ? data : NSData::data(), NSString("data") },
        { key, NSString("name") }, { mimeType, NSString("mimetype") }, { fileName, NSString("filename") } }));
}

void NENetworkOperation::addFile(const NSString& filePath, const NSString& key)
{
    addFile(filePath, key, "application/octet-stream");
}

void NENetworkOperation::addFile(const NSString& filePath, const NSString& key, const NSString& mimeType)
{
    auto shared = m_shared.lock();
    if (shared->request->HTTPMethod() == "GET")
        shared->request->setHTTPMethod("POST");
    shared->filesToBePosted->addObject(NSDictionary::dictionaryWithObjectsAndKeys({ { filePath, NSString("filepath") },
        { key, NSString("name") }, { mimeType, NSString("mimetype") } }));
}

NSString NENetworkOperation::boundary() const
{
    auto shared = m_shared.lock();
    if (shared->boundary.isNil()) {
        std::random_device random;
        std::uniform_int_distribution<int> digit(0, 15);
        std::string suffix;
        for (int i = 0; i < 16; ++i)
            suffix += "0123456789abcdef"[digit(random)];
        shared->boundary = NSString("0xKhTmLbOuNdArY-" + suffix);
    }
    return shared->boundary;
}

bool NENetworkOperation::writeMultipartBody(const std::function<bool(const std::uint8_t*, std::size_t)>& sink, NSErrorPointer error) const
{
    std::shared_ptr<NSDictionary> fields;
    std::shared_ptr<NSArray> files;
    std::shared_ptr<NSArray> data;
    NSStringEncoding encoding;
    {
        auto shared = m_shared.lock();
        fields = shared->fieldsToBePosted->copyDictionary();
        files = shared->filesToBePosted->copyArray();
        data = shared->dataToBePosted->copyArray();
        encoding = shared->stringEncoding;
    }
    const NSString B = boundary();
    auto text = [&](const NSString& piece) {
        auto bytes = piece.dataUsingEncoding(encoding, true);
        return !bytes || sink(bytes->bytes(), bytes->length());
    };
    auto partHeader = [&](const NSString& name, const NSString& fileName, const NSString& mimeType) {
        return text(NSString::stringWithFormat("--%@\r\nContent-Disposition: form-data; name=\"%@\"; filename=\"%@\"\r\n"
                                               "Content-Type: %@\r\nContent-Transfer-Encoding: binary\r\n\r\n",
            B, escapedPartName(name), escapedPartName(fileName), mimeType));
    };
    for (const auto& entry : *fields) {
        NSString value = NSString::fromId(entry.object);
        if (value.isNil())
            value = entry.object ? entry.object->description() : NSString::string();
        if (!text(NSString::stringWithFormat("--%@\r\nContent-Disposition: form-data; name=\"%@\"\r\n\r\n%@\r\n", B,
                escapedPartName(NSString::fromId(entry.key)), value)))
            return false;
    }
    for (const auto& object : *files) {
        auto file = ns::cast<NSDictionary>(object);
        const NSString path = file ? NSString::fromId(file->objectForKey("filepath")) : NSString();
        // Opened before its header is written, so a file that cannot be read fails the body
        // instead of leaving a part that declares bytes it does not carry.
        std::unique_ptr<std::FILE, FileCloser> stream(openRegularFile(path));
        if (!stream) {
            if (error)
                *error = unreadableFileError(path);
            return false;
        }
        if (!partHeader(NSString::fromId(file->objectForKey("name")), path.lastPathComponent(), NSString::fromId(file->objectForKey("mimetype"))))
            return false;
        std::uint8_t buffer[64 * 1024];
        while (std::size_t count = std::fread(buffer, 1, sizeof buffer, stream.get())) {
            if (!sink(buffer, count))
                return false;
        }
        if (std::ferror(stream.get())) {
            if (error)
                *error = unreadableFileError(path);
            return false;
        }
        if (!text("\r\n"))
            return false;
    }
    for (const auto& object : *data) {
        auto entry = ns::cast<NSDictionary>(object);
        if (!entry)
            continue;
        auto bytes = ns::cast<NSData>(entry->objectForKey("data"));
        if (!partHeader(NSString::fromId(entry->objectForKey("name")), NSString::fromId(entry->objectForKey("filename")),
                NSString::fromId(entry->objectForKey("mimetype")))
            || (bytes && bytes->length() && !sink(bytes->bytes(), bytes->length())) || !text("\r\n"))
            return false;
    }
    return text(NSString::stringWithFormat("--%@--\r\n", B));
}

void NENetworkOperation::setMultipartHeaders(std::uint64_t length)
{
    const NSString B = boundary();
    auto shared = m_shared.lock();
    shared->request->setValue(NSString::stringWithFormat("multipart/form-data; charset=%@; boundary=%@", charsetText(shared->stringEncoding), B),
        "Content-Type");
    shared->request->setValue(NSString::stringWithFormat("%llu", static_cast<unsigned long long>(length)), "Content-Length");
}

std::shared_ptr<NSData> NENetworkOperation::bodyData(NSErrorPointer error)
{
    bool multipart;
    NSStringEncoding encoding;
    {
        auto shared = m_shared.lock();
        multipart = shared->filesToBePosted->count() || shared->dataToBePosted->count();
        encoding = shared->stringEncoding;
    }
    if (!multipart) {
        auto body = encodedPostDataString().dataUsingEncoding(encoding, true);
        return body ? body : NSData::data();
    }
    auto body = NSMutableData::data();
    if (!writeMultipartBody([&](const std::uint8_t* bytes, std::size_t length) {
            body->appendBytes(bytes, length);
            return true;
        }, error))
        return nullptr;
    setMultipartHeaders(body->length());
    return body;
}

bool NENetworkOperation::prepareBody(NSErrorPointer error)
{
    bool multipart;
    {
        auto shared = m_shared.lock();
        const NSString method = shared->request->HTTPMethod();
        if ((method != "POST" && method != "PUT" && method != "PATCH") || shared->request->HTTPBodyStream())
            return true;
        multipart = shared->filesToBePosted->count() || shared->dataToBePosted->count();
    }
    if (!multipart) {
        auto body = bodyData(error);
        auto shared = m_shared.lock();
        shared->request->setHTTPBody(body);
        return true;
    }
    // Attached files are copied piece by piece into one body file and sent from it, so no file
    // is ever held in memory whole.
    const NSString path = NSTemporaryDirectory().stringByAppendingPathComponent(
        NSString::stringWithFormat("NEBody-%@", NSString_NEEngineAdditions::uniqueString()));
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.UTF8String().c_str(), "wb"));
    std::uint64_t length = 0;
    bool written = file && writeMultipartBody([&](const std::uint8_t* bytes, std::size_t count) {
        length += count;
        return std::fwrite(bytes, 1, count, file.get()) == count;
    }, error);
    written = file && std::fflush(file.get()) == 0 && written;
    file.reset();
    if (!written) {
        NSFileManager::defaultManager()->removeItemAtPath(path);
        if (error && !*error)
            *error = NSError::errorWithDomain(NSCocoaErrorDomain, NSFileWriteUnknownError, NSString("The request body could not be written."));
        return false;
    }
    setMultipartHeaders(length);
    auto shared = m_shared.lock();
    shared->bodyFilePath = path;
    shared->bodyStreamIsOwn = true;
    shared->request->setHTTPBodyStream(NSInputStream::inputStreamWithFileAtPath(path));
    return true;
}

void NENetworkOperation::removeBodyFile()
{
    NSString path;
    {
        auto shared = m_shared.lock();
        path = std::exchange(shared->bodyFilePath, NSString());
    }
    if (!path.isNil())
        NSFileManager::defaultManager()->removeItemAtPath(path);
}

NSString NENetworkOperation::curlCommandLineString() const
{
    std::shared_ptr<NSURLRequest> request;
    std::shared_ptr<NSDictionary> fields;
    std::shared_ptr<NSArray> files;
    bool attachments;
    NEPostDataEncoding encoding;
    {
        auto shared = m_shared.lock();
        request = shared->request->copyRequest();
        fields = shared->fieldsToBePosted->copyDictionary();
        files = shared->filesToBePosted->copyArray();
        attachments = shared->filesToBePosted->count() || shared->dataToBePosted->count();
        encoding = shared->postDataEncoding;
    }
    const NSString method = request->HTTPMethod();
    auto text = NSMutableString::string();
    text->appendFormat("curl -X %@", method);
    if (!attachments) {
        for (const auto& field : request->headerFields())
            text->appendFormat(" -H %@", shellQuoted(NSString::stringWithFormat("%@: %@", field.name, field.value)));
    }
    text->appendFormat(" %@", shellQuoted(request->URL()->absoluteString()));
    if (method == "POST" || method == "PUT" || method == "PATCH") {
        const char* option = files->count() ? "-F" : "-d";
        if (encoding != NEPostDataEncodingTypeURL) {
            text->appendFormat(" -d %@", shellQuoted(encodedPostDataString()));
        } else {
            for (const auto& entry : *fields) {
                NSString value = NSString::fromId(entry.object);
                if (value.isNil())
                    value = entry.object ? entry.object->description() : NSString::string();
                text->appendFormat(" %s %@", option, shellQuoted(NSString::stringWithFormat("%@=%@", NSString::fromId(entry.key), value)));
            }
        }
        for (const auto& object : *files) {
            auto file = ns::cast<NSDictionary>(object);
            if (!file)
                continue;
            text->appendFormat(" -F %@", shellQuoted(NSString::stringWithFormat("%@=@%@;type=%@", NSString::fromId(file->objectForKey("name")),
                                             NSString::fromId(file->objectForKey("filepath")), NSString::fromId(file->objectForKey("mimetype")))));
        }
    }
    return NSString(text);
}

NSString NENetworkOperation::description() const
{
    auto text = NSMutableString::string();
    text->appendFormat("%@\nRequest\n-------\n%@", NSDate::date()->description(), curlCommandLineString());
    const NSString reply = responseString();
    if (!reply.isNil() && reply.length())
        text->appendFormat("\n--------\nResponse\n--------\n%@\n", reply);
    return NSString(text);
}
