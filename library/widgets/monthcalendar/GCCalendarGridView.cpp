#include "library/widgets/monthcalendar/GCCalendarGridView.h"

void GCCalendarGridView::awakeFromNib()
{
    m_selected = false;
    m_selectedEanable = true;
}
