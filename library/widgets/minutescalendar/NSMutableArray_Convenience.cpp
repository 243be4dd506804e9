#include "library/widgets/minutescalendar/NSMutableArray_Convenience.h"

namespace NSMutableArray_Convenience {

void moveObjectFromIndex(NSMutableArray& array, NSUInteger from, NSUInteger to)
{
    if (from == to || from >= array.count())
        return;
    const id object = array.objectAtIndex(from);
    array.removeObjectAtIndex(from);
    if (to >= array.count())
        array.addObject(object);
    else
        array.insertObject(object, to);
}

} // namespace NSMutableArray_Convenience
