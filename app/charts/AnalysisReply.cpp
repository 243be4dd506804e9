#include "app/charts/AnalysisReply.h"

#include "app/services/ServiceReply.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/TypedValues.h"

std::shared_ptr<NSArray> AnalysisReply::rows(const id& reply)
{
    const auto code = ServiceReply::mainServiceCode(reply);
    auto body = ns::dictionaryForKey(ns::dictionaryForKey(ns::dictionaryValue(reply), "output"), "body");
    auto rows = ServiceReply::rows(reply, "array0");
    if (!code || *code != 0 || !ns::dictionaryForKey(body, "array0") || rows->count() == 0)
        return nullptr;
    return rows;
}
