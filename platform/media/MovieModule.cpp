#include "platform/media/MovieModule.h"

#include "platform/foundation/NSLog.h"

#include <cstdlib>
#include <dlfcn.h>
#include <mutex>

#ifndef CORVANE_MOVIE_MODULE_PATH
#define CORVANE_MOVIE_MODULE_PATH "libcorvane_movie.so"
#endif

std::string MovieModule::path()
{
    if (const char* chosen = std::getenv("CORVANE_MOVIE_MODULE"); chosen && *chosen)
        return chosen;
    return CORVANE_MOVIE_MODULE_PATH;
}

MovieBackEnd* MovieModule::load(const std::string& path, std::string& reason)
{
    // Local: the media framework's symbols stay out of the client's lookups.
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        const char* error = dlerror();
        reason = "the movie module could not be loaded (" + std::string(error ? error : path) + ")";
        return nullptr;
    }
    auto entry = reinterpret_cast<MovieBackEndEntry>(dlsym(module, kMovieBackEndEntryName));
    MovieBackEnd* backEnd = entry ? entry() : nullptr;
    if (!backEnd) {
        reason = "the movie module has no back end (" + path + ")";
        dlclose(module);
        return nullptr;
    }
    return backEnd;
}

MovieBackEnd* MovieModule::backEnd(std::string& reason)
{
    static std::once_flag once;
    static MovieBackEnd* started = nullptr;
    static std::string failure;
    std::call_once(once, [] {
        MovieBackEnd* loaded = load(path(), failure);
        if (loaded && loaded->start(failure, [](const std::string& line) { NSLog("%s", line.c_str()); }))
            started = loaded;
        if (!started)
            NSLog("%s", failure.c_str());
    });
    if (!started)
        reason = failure;
    return started;
}
