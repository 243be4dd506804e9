#pragma once
// The fields of a request to the services. Values that came from a reply (a login row, a coach,
// a slot) may be missing there or sent as null; a dictionary refuses nil outright, so every such
// value goes in through here: a required one that is absent is noted and left out, and the screen
// asks complete() before it sends, taking its error path instead.

#include "platform/foundation/NSDictionary.h"

#include <string>
#include <vector>

class RequestFields {
public:
    RequestFields();

    // A value the client makes itself (a METHOD, a date it shows, typed text).
    RequestFields& set(const char* key, const NSString& value);
    // A value from a reply that the request cannot go without: nil, null or empty text is noted.
    RequestFields& required(const char* key, const id& value);
    // Several such values, joined by "," in the order given; an absent one is noted.
    RequestFields& requiredList(const char* key, const std::vector<id>& values);
    // A value from a reply the service takes empty: an absent one goes as "".
    RequestFields& orEmpty(const char* key, const id& value);
    // A value from a reply the service takes absent: an absent one is left out.
    RequestFields& ifPresent(const char* key, const id& value);

    bool complete() const { return m_missing.empty(); }
    // The keys of the required values that were absent, in the order they were put.
    const std::vector<std::string>& missing() const { return m_missing; }
    const std::shared_ptr<NSMutableDictionary>& dictionary() const { return m_fields; }

private:
    std::shared_ptr<NSMutableDictionary> m_fields;
    std::vector<std::string> m_missing;
};
