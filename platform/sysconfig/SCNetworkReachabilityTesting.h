#pragma once
// Drives the network state by hand: while a simulation runs, every target reads the simulated
// flags instead of the system's, and each change of them reaches the scheduled targets as a
// real change would. Ending the simulation goes back to the system's state.

#include "platform/sysconfig/SCNetworkReachability.h"

void SCNetworkReachabilitySimulateFlags(SCNetworkReachabilityFlags flags);
void SCNetworkReachabilityEndSimulation();
