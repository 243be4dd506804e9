#include "tools/service-standin/StandInContext.h"

namespace standin {

void addChartsRoutes(Routes&)
{
}

} // namespace standin
