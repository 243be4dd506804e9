#include "platform/foundation/DynamicLibrary.h"

#include <dlfcn.h>
#include <utility>

DynamicLibrary::DynamicLibrary(void* handle, std::string path)
    : m_handle(handle)
    , m_path(std::move(path))
{
}

std::optional<DynamicLibrary> DynamicLibrary::open(const std::string& path, std::string& reason)
{
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* error = dlerror();
        reason = error ? error : path;
        return std::nullopt;
    }
    return DynamicLibrary(handle, path);
}

void* DynamicLibrary::symbol(const char* name) const
{
    return m_handle ? dlsym(m_handle, name) : nullptr;
}

void DynamicLibrary::close()
{
    if (m_handle)
        dlclose(m_handle);
    m_handle = nullptr;
}
