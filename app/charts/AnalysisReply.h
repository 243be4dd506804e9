#pragma once
// The statistics service's answer as both chart screens read it.

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSObject.h"

class AnalysisReply {
public:
    // The rows of "array0" of a successful reply; nil for a failed reply or one without a row,
    // which have nothing to draw alike.
    static std::shared_ptr<NSArray> rows(const id& reply);
};
