#pragma once
// Pictures the widget tests write for people to look at, into widget-snapshots/ of the build.

#include "platform/host/HeadlessHost.h"

#include <filesystem>
#include <gtest/gtest.h>

#ifndef CORVANE_SNAPSHOT_DIR
#define CORVANE_SNAPSHOT_DIR "widget-snapshots"
#endif

inline void writeWidgetPicture(HeadlessHost& host, const char* name)
{
    std::filesystem::create_directories(CORVANE_SNAPSHOT_DIR);
    const std::string path = std::string(CORVANE_SNAPSHOT_DIR) + "/" + name + ".png";
    EXPECT_TRUE(host.writePNG(NSString(path.c_str()))) << path;
}
