#include "tools/service-standin/StandInContext.h"

namespace standin {

void addTheoryRoutes(Routes&)
{
}

} // namespace standin
