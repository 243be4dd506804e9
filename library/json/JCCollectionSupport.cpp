#include "library/json/JCCollectionSupport.h"

void JCCollectionSupport::raise(const char* name, const std::string& reason)
{
    throw NSException(NSString(name), NSString(reason));
}

void JCCollectionSupport::raisePrivateClass(const char* className)
{
    raise(NSInvalidArgumentException, std::string("*** - [") + className + " allocWithZone:]: The " + className
            + " class is private to JSONCodec and should not be used in this fashion.");
}

void JCCollectionSupport::raiseImmutable(const char* className, const char* operation)
{
    raise(NSInternalInconsistencyException, prefix(className, operation) + "mutating method sent to immutable object");
}

std::string JCCollectionSupport::prefix(const char* className, const char* operation)
{
    return std::string("*** -[") + className + " " + operation + "]: ";
}
