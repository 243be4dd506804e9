#include "platform/host/SDLLibrary.h"

#include <gtest/gtest.h>

TEST(SDLLibrary, aMissingOrForeignLibraryIsAnErrorThatNamesIt)
{
    std::string reason;
    EXPECT_FALSE(SDLLibrary::load("libno-such-window-library.so.0", reason));
    EXPECT_NE(reason.find("could not be loaded"), std::string::npos) << reason;
    EXPECT_NE(reason.find("libno-such-window-library.so.0"), std::string::npos) << reason;

    // A library that loads but has none of the window's functions.
    reason.clear();
    EXPECT_FALSE(SDLLibrary::load("libm.so.6", reason));
    EXPECT_NE(reason.find("not the one expected"), std::string::npos) << reason;
    EXPECT_NE(reason.find("SDL_"), std::string::npos) << reason;
    EXPECT_NE(reason.find("libm.so.6"), std::string::npos) << reason;
}

TEST(SDLLibrary, theSharedTableIsLoadedOnceAndCallsTheLibraryThisProcessLinks)
{
    std::string reason;
    const SDLLibrary* table = SDLLibrary::shared(reason);
    ASSERT_TRUE(table) << reason;
    EXPECT_EQ(SDLLibrary::shared(reason), table);
    // One library in the process: what the table calls is what the tests push events into.
    EXPECT_EQ(table->PollEvent, &SDL_PollEvent);
    EXPECT_EQ(table->SetHint, &SDL_SetHint);
    table->SetHint("CORVANE_TEST_HINT", "seen");
    EXPECT_STREQ(SDL_GetHint("CORVANE_TEST_HINT"), "seen");
}
