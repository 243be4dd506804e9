#pragma once
// Pictures of views compared with the reference pictures kept beside the tests. Each picture is
// also written into the build folder for people to look at.

#include "tests/support/ReferencePictures.h"

#include "platform/host/HeadlessHost.h"

namespace charts_testing {

using testing_support::differingShare;
using testing_support::Pixels;
using testing_support::pixelsOf;
using testing_support::pixelsOfFile;

inline std::filesystem::path writtenPicture(HeadlessHost& host, const UIViewRef& view, const std::string& name)
{
    const std::filesystem::path folder = CORVANE_SCREENS_DIR;
    std::filesystem::create_directories(folder);
    const auto path = folder / ("charts-" + name + ".png");
    EXPECT_TRUE(host.writePNG(view, NSString(path.string()))) << name;
    return path;
}

// The view's picture matches the reference of the name.
inline void expectMatchesReference(HeadlessHost& host, const UIViewRef& view, const std::string& name)
{
    testing_support::expectMatchesReferencePicture(writtenPicture(host, view, name),
        std::filesystem::path(CORVANE_CHARTS_REFERENCES) / (name + ".png"));
}

} // namespace charts_testing
