#include "tests/app/ReplyVariants.h"

#include "library/json/JSONCodecDeserializing.h"
#include "library/json/JSONCodecSerializing.h"
#include "platform/foundation/NSNull.h"
#include "platform/foundation/TypedValues.h"

#include <algorithm>
#include <optional>

namespace {

bool holdsRecords(const id& value)
{
    auto list = ns::arrayValue(value);
    return ns::dictionaryValue(value) || (list && std::ranges::any_of(list->objects(), [](const id& item) { return ns::dictionaryValue(item) != nullptr; }));
}

std::string pathOf(const std::string& path, const id& key)
{
    return (path.empty() ? "" : path + ".") + ns::textOf(key).UTF8String();
}

void collectFields(const id& node, const std::string& path, std::vector<std::string>& fields)
{
    if (auto record = ns::dictionaryValue(node)) {
        for (const auto& key : record->allKeys()->objects()) {
            const std::string at = pathOf(path, key);
            auto value = record->objectForKey(key);
            if (holdsRecords(value))
                collectFields(value, at, fields);
            else if (std::ranges::find(fields, at) == fields.end())
                fields.push_back(at);
        }
    } else if (auto list = ns::arrayValue(node)) {
        for (const auto& item : list->objects())
            collectFields(item, path + "[]", fields);
    }
}

// Which places of the field are spoiled: every one, or only the one of that index in reading
// order (rows in their order, so the first place is the first row's).
struct Spoil {
    std::string field;
    bool asNull { false };
    std::optional<std::size_t> only;
};

// A copy of the node with the field spoiled as asked; `seen` counts the places of the field met.
id spoiled(const id& node, const std::string& path, const Spoil& spoil, std::size_t& seen)
{
    if (auto record = ns::dictionaryValue(node)) {
        auto copy = NSMutableDictionary::dictionary();
        for (const auto& key : record->allKeys()->objects()) {
            const std::string at = pathOf(path, key);
            if (at == spoil.field) {
                const std::size_t place = seen++;
                if (!spoil.only || *spoil.only == place) {
                    if (spoil.asNull)
                        copy->setObject(NSNull::null(), key);
                    continue;
                }
            }
            copy->setObject(spoiled(record->objectForKey(key), at, spoil, seen), key);
        }
        return copy;
    }
    if (auto list = ns::arrayValue(node)) {
        auto copy = NSMutableArray::array();
        for (const auto& item : list->objects())
            copy->addObject(spoiled(item, path + "[]", spoil, seen));
        return copy;
    }
    return node;
}

// The reply with every list of a single record served with a copy of it after.
id widened(const id& node)
{
    if (auto record = ns::dictionaryValue(node)) {
        auto copy = NSMutableDictionary::dictionary();
        for (const auto& key : record->allKeys()->objects())
            copy->setObject(widened(record->objectForKey(key)), key);
        return copy;
    }
    if (auto list = ns::arrayValue(node)) {
        auto copy = NSMutableArray::array();
        for (const auto& item : list->objects())
            copy->addObject(widened(item));
        if (copy->count() == 1 && ns::dictionaryValue(copy->objectAtIndex(0)))
            copy->addObject(widened(list->objectAtIndex(0)));
        return copy;
    }
    return node;
}

std::string jsonOf(const id& reply)
{
    return JSONCodecSerializing::JSONString(ns::dictionaryValue(reply)).UTF8String();
}

} // namespace

ReplyVariants::ReplyVariants(const std::string& sampleJson)
    : m_sample(sampleJson)
{
    collectFields(JSONCodecDeserializing::objectFromJSONString(NSString(sampleJson)), "", m_fields);
}

std::vector<ReplyVariants::Variant> ReplyVariants::variantsOf(const std::string& field) const
{
    const id sample = JSONCodecDeserializing::objectFromJSONString(NSString(m_sample));
    std::vector<Variant> variants;
    for (const bool asNull : { false, true }) {
        std::size_t seen = 0;
        variants.push_back({ asNull ? "null" : "left out", jsonOf(spoiled(sample, "", { field, asNull, std::nullopt }, seen)) });
    }
    if (field.find("[]") == std::string::npos)
        return variants;
    const id wide = widened(sample);
    std::size_t places = 0;
    spoiled(wide, "", { field, false, std::nullopt }, places);
    if (places < 2)
        return variants;
    const std::string among = " of " + std::to_string(places) + " rows";
    for (const std::size_t only : { std::size_t(0), places - 1 }) {
        for (const bool asNull : { false, true }) {
            std::size_t seen = 0;
            variants.push_back({ std::string(asNull ? "null" : "left out") + (only == 0 ? " in the first" : " in the last") + among,
                jsonOf(spoiled(wide, "", { field, asNull, only }, seen)) });
        }
    }
    return variants;
}
