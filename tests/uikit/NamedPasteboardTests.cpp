#include "platform/foundation/NSFileManager.h"
#include "platform/foundation/NSPathUtilities.h"
#include "platform/uikit/UIPasteboard.h"

#include "tests/support/OtherProcess.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::shared_ptr<NSData> bytes(const char* text)
{
    return NSData::dataWithBytes(text, std::strlen(text));
}

} // namespace

TEST(NamedPasteboard, isMadeOnRequestAndHoldsDataByType)
{
    EXPECT_FALSE(UIPasteboard::pasteboardWithName("exam.notes", false));
    EXPECT_FALSE(UIPasteboard::pasteboardWithName(NSString(), true));
    EXPECT_EQ(UIPasteboard::pasteboardWithName(UIPasteboardNameGeneral, false), UIPasteboard::generalPasteboard());
    auto notes = UIPasteboard::pasteboardWithName("exam.notes", true);
    ASSERT_TRUE(notes);
    EXPECT_EQ(UIPasteboard::pasteboardWithName("exam.notes", false), notes);
    EXPECT_FALSE(notes->isPersistent());

    notes->setData(bytes("first"), "org.example.a");
    EXPECT_EQ(notes->dataForPasteboardType("org.example.a")->length(), 5u);
    EXPECT_FALSE(notes->dataForPasteboardType("org.example.b"));
    EXPECT_EQ(notes->numberOfItems(), 1);
    EXPECT_EQ(notes->pasteboardTypes(), (std::vector<NSString> { "org.example.a" }));
    // One item at a time: new data or text replaces what was there.
    notes->setString("科目一");
    EXPECT_FALSE(notes->dataForPasteboardType("org.example.a"));
    EXPECT_EQ(notes->string(), NSString("科目一"));
    notes->setData(bytes("second"), "org.example.b");
    EXPECT_TRUE(notes->string().isNil());
    notes->setData(nullptr, "org.example.b");
    EXPECT_EQ(notes->numberOfItems(), 0);

    UIPasteboard::removePasteboardWithName("exam.notes");
    EXPECT_FALSE(UIPasteboard::pasteboardWithName("exam.notes", false));
    UIPasteboard::removePasteboardWithName(UIPasteboardNameGeneral);
    EXPECT_TRUE(UIPasteboard::generalPasteboard());
}

TEST(NamedPasteboard, aPersistentOneOutlivesTheProcessUntilRemoved)
{
    // Names that are no file names stay inside the pasteboard folder.
    auto slot = UIPasteboard::pasteboardWithName("../org.slot/7", true);
    slot->setData(bytes("kept"), "org.example");
    slot->setPersistent(true);
    EXPECT_TRUE(slot->isPersistent());
    const NSString folder = NSHomeDirectory().stringByAppendingPathComponent("Library/Pasteboards");
    auto files = NSFileManager::defaultManager()->contentsOfDirectoryAtPath(folder, nullptr);
    ASSERT_TRUE(files);
    ASSERT_EQ(files->count(), 1u);
    EXPECT_FALSE(NSString::fromId(files->firstObject()).hasPrefix("."));

    EXPECT_TRUE(passesInAnotherProcess("NamedPasteboardSecondProcess.DISABLED_readsAndChangesTheStoredOne"));
    // What the other process wrote is what this one reads now.
    ASSERT_TRUE(slot->dataForPasteboardType("org.example"));
    EXPECT_EQ(slot->dataForPasteboardType("org.example")->length(), 7u);

    slot->setPersistent(false);
    EXPECT_EQ(NSFileManager::defaultManager()->contentsOfDirectoryAtPath(folder, nullptr)->count(), 0u);
    slot->setPersistent(true);
    UIPasteboard::removePasteboardWithName("../org.slot/7");
    EXPECT_EQ(NSFileManager::defaultManager()->contentsOfDirectoryAtPath(folder, nullptr)->count(), 0u);
    EXPECT_FALSE(slot->isPersistent());
}

TEST(NamedPasteboardSecondProcess, DISABLED_readsAndChangesTheStoredOne)
{
    auto slot = UIPasteboard::pasteboardWithName("../org.slot/7", false);
    ASSERT_TRUE(slot);
    EXPECT_TRUE(slot->isPersistent());
    ASSERT_TRUE(slot->dataForPasteboardType("org.example"));
    EXPECT_EQ(slot->dataForPasteboardType("org.example")->length(), 4u);
    slot->setData(bytes("changed"), "org.example");
}

TEST(NamedPasteboard, aDamagedStoreReadsAsEmpty)
{
    auto slot = UIPasteboard::pasteboardWithName("damaged", true);
    slot->setPersistent(true);
    slot->setString("x");
    const NSString folder = NSHomeDirectory().stringByAppendingPathComponent("Library/Pasteboards");
    ASSERT_TRUE(bytes("bplist00\xff\xff garbage")->writeToFile(folder.stringByAppendingPathComponent("damaged.plist"), true));
    EXPECT_TRUE(slot->string().isNil());
    EXPECT_EQ(slot->numberOfItems(), 0);
    UIPasteboard::removePasteboardWithName("damaged");
}
