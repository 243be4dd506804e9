#pragma once
// Where the four services live unless the user defaults say otherwise. The hosts are settings of
// the build (CORVANE_SERVICE_HOST, CORVANE_PAYMENT_HOST); by default they name the loopback
// ports on which the local stand-in of the services listens.

#include "platform/foundation/NSString.h"

namespace ServiceHosts {

// The main service's host name; also the host the reachability monitor probes.
NSString mainServiceHost();
// "http://" + the main host + ":3600/Tessalane/resource/", or the environment's
// CORVANE_MAIN_BASE_URL when set.
NSString builtInMainBaseURL();
// "http://" + the payment host + "/PayMent/resource/SYSBL/BRENLOW/DTTM/PUBL/ZXZF/", or the
// environment's CORVANE_PAYMENT_BASE_URL when set.
NSString builtInPaymentBaseURL();

} // namespace ServiceHosts
