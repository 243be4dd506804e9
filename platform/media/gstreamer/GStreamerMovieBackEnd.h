#pragma once
// The movie back end on the media framework: playbin decoding into an app sink that hands out BGRx
// frames. Built as a module of its own and reached only through MovieModule.

#include "platform/media/MovieBackEnd.h"

#include <mutex>

class GStreamerMovieBackEnd final : public MovieBackEnd {
public:
    bool start(std::string& reason, LogHandler log) override;
    std::unique_ptr<Decoder> makeDecoder(const std::string& uri, bool withSound, EventHandler events) override;

private:
    std::once_flag m_started;
    bool m_ready { false };
    std::string m_reason;
    LogHandler m_log;
};

extern "C" __attribute__((visibility("default"))) MovieBackEnd* corvane_movie_back_end();
