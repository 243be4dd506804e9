#pragma once
// Counts the allocations and the peak of live heap bytes while a scope measures them. The bench
// that links AllocationCounter.cpp routes malloc and operator new through it; outside a
// measurement the cost is one untaken branch.

#include <cstddef>
#include <cstdint>

namespace bench {

struct AllocationFigures {
    std::uint64_t allocations { 0 };
    // Peak of live bytes above what was live when the measurement began.
    std::int64_t peakBytes { 0 };
};

class AllocationMeasurement {
public:
    AllocationMeasurement();
    ~AllocationMeasurement();
    AllocationMeasurement(const AllocationMeasurement&) = delete;
    AllocationMeasurement& operator=(const AllocationMeasurement&) = delete;

    AllocationFigures figures() const;
};

} // namespace bench
