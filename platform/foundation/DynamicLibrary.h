#pragma once
// A shared library opened while the process runs rather than by the loader at start, for what
// only some runs need (a window, movies): the start binds none of it, and a library that is
// missing or lacks a function is an error its caller reports, never a crash.

#include <optional>
#include <string>

class DynamicLibrary {
public:
    // The library at the path, or found by its file name where the system looks, loaded for the
    // rest of the process; nothing, with the loader's reason, when it cannot be loaded. Its
    // names stay out of the lookups of the process and of libraries loaded later.
    static std::optional<DynamicLibrary> open(const std::string& path, std::string& reason);

    void* symbol(const char* name) const;

    // Sets the function to the library's one of that name; false, with the reason, when it has none.
    template<typename Function>
    bool bind(Function& function, const char* name, std::string& reason) const
    {
        function = reinterpret_cast<Function>(symbol(name));
        if (!function)
            reason = std::string("no ") + name + " in " + m_path;
        return function != nullptr;
    }

    // Gives back a library found to be of no use; nothing taken from it may be used after.
    void close();

    const std::string& path() const { return m_path; }

private:
    DynamicLibrary(void* handle, std::string path);

    void* m_handle { nullptr };
    std::string m_path;
};
