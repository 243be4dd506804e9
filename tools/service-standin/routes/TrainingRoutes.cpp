#include "tools/service-standin/StandInContext.h"

namespace standin {

void addTrainingRoutes(Routes&)
{
}

} // namespace standin
