#include "tools/service-standin/StandInContext.h"

namespace standin {

void addRecordsRoutes(Routes&)
{
}

} // namespace standin
