#include "platform/media/MovieModule.h"

#include "platform/foundation/DynamicLibrary.h"
#include "platform/foundation/NSLog.h"

#include <cstdlib>
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
    std::string failure;
    auto module = DynamicLibrary::open(path, failure);
    if (!module) {
        reason = "the movie module could not be loaded (" + failure + ")";
        return nullptr;
    }
    MovieBackEndEntry entry = nullptr;
    MovieBackEnd* backEnd = module->bind(entry, kMovieBackEndEntryName, failure) ? entry() : nullptr;
    if (!backEnd) {
        reason = "the movie module has no back end (" + path + ")";
        module->close();
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
