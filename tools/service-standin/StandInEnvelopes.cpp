#include "tools/service-standin/StandInContext.h"

#include "tools/service-standin/ServiceStandIn.h"
#include "library/json/JSONCodecSerializing.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSString.h"

namespace standin {

Fields parseForm(const std::string& body)
{
    Fields fields;
    std::size_t start = 0;
    while (start <= body.size()) {
        std::size_t end = body.find('&', start);
        if (end == std::string::npos)
            end = body.size();
        const std::string pair = body.substr(start, end - start);
        if (!pair.empty()) {
            const std::size_t equals = pair.find('=');
            const std::string key = formDecode(pair.substr(0, equals));
            const std::string value = equals == std::string::npos ? std::string() : formDecode(pair.substr(equals + 1));
            fields.emplace(key, value);
        }
        start = end + 1;
    }
    return fields;
}

std::string field(const Fields& fields, const char* name)
{
    auto found = fields.find(name);
    return found == fields.end() ? std::string() : found->second;
}

std::shared_ptr<NSDictionary> dictionaryOf(const Row& row)
{
    auto dictionary = NSMutableDictionary::dictionary();
    for (const auto& [key, value] : row)
        dictionary->setObject(NSString(value), NSString(key));
    return dictionary;
}

std::string mainEnvelope(const std::string& code, const std::string& description, const std::vector<std::vector<Row>>& arrays)
{
    auto head = NSMutableDictionary::dictionary();
    head->setObject(NSString(code), "retCode");
    head->setObject(NSString(description), "retDesc");
    auto body = NSMutableDictionary::dictionary();
    for (std::size_t index = 0; index < arrays.size(); ++index) {
        auto rows = NSMutableArray::array();
        for (const auto& row : arrays[index])
            rows->addObject(dictionaryOf(row));
        auto rowSet = NSMutableDictionary::dictionary();
        rowSet->setObject(rows, "row");
        auto array = NSMutableDictionary::dictionary();
        array->setObject(rowSet, "rowSet");
        body->setObject(array, NSString("array" + std::to_string(index)));
    }
    auto output = NSMutableDictionary::dictionary();
    output->setObject(head, "head");
    output->setObject(body, "body");
    auto reply = NSMutableDictionary::dictionary();
    reply->setObject(output, "output");
    return JSONCodecSerializing::JSONString(std::static_pointer_cast<NSDictionary>(reply)).UTF8String();
}

std::string codeEnvelope(const std::string& code, const std::string& message, const id& data)
{
    auto reply = NSMutableDictionary::dictionary();
    reply->setObject(NSString(code), "code");
    if (data)
        reply->setObject(data, "data");
    reply->setObject(NSString(message), "message");
    return JSONCodecSerializing::JSONString(std::static_pointer_cast<NSDictionary>(reply)).UTF8String();
}

void reply(httplib::Response& response, const std::string& json, int status)
{
    response.status = status;
    response.set_content(formEncode(json), "text/plain;charset=UTF-8");
}

} // namespace standin
