#pragma once
// The movie back end's module, loaded on the first movie or thumbnail rather than at start: the
// client's first screen needs none of the media framework. A module that is missing or broken is
// an error every player reports, never a crash.

#include "platform/media/MovieBackEnd.h"

#include <string>

class MovieModule {
public:
    // The process's back end, loaded and started on the first call from any thread; nil with the
    // reason when the module cannot be loaded or the media framework cannot start.
    static MovieBackEnd* backEnd(std::string& reason);
    // The back end of the module at the path, or nil with the reason. A module found stays loaded.
    static MovieBackEnd* load(const std::string& path, std::string& reason);
    // CORVANE_MOVIE_MODULE when set, or the module built with the client.
    static std::string path();
};
