#include "library/widgets/pagedmenu/PGPopupMenuItem.h"
