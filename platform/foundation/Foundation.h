#pragma once
// The core of the foundation layer in one include.

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSCharacterSet.h"
#include "platform/foundation/NSData.h"
#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSException.h"
#include "platform/foundation/NSIndexPath.h"
#include "platform/foundation/NSNull.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSSet.h"
#include "platform/foundation/NSString.h"
#include "platform/foundation/NSValue.h"
#include "platform/foundation/SystemClock.h"
#include "platform/foundation/TypedValues.h"
