#pragma once
// Pictures the widget tests write for people to look at, into widget-snapshots/ of the build,
// some compared with the reference pictures kept in reference/ beside the tests.

#include "platform/host/HeadlessHost.h"
#include "tests/support/ReferencePictures.h"

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

#ifdef CORVANE_WIDGET_REFERENCES
// The view's picture matches the reference of the name.
inline void expectWidgetMatchesReference(HeadlessHost& host, const UIViewRef& view, const char* name)
{
    std::filesystem::create_directories(CORVANE_SNAPSHOT_DIR);
    const std::filesystem::path written = std::string(CORVANE_SNAPSHOT_DIR) + "/" + name + ".png";
    EXPECT_TRUE(host.writePNG(view, NSString(written.string()))) << written;
    testing_support::expectMatchesReferencePicture(written, std::filesystem::path(CORVANE_WIDGET_REFERENCES) / (std::string(name) + ".png"));
}
#endif
