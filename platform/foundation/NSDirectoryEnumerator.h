#pragma once
// Walks a folder tree depth first, answering paths relative to the starting folder, in name
// order within each folder (so walks are the same on every machine).

#include "platform/foundation/NSDictionary.h"

#include <filesystem>

class NSDirectoryEnumerator : public NSObject {
    NS_OBJECT(NSDirectoryEnumerator, NSObject)
public:
    // The next relative path, or nil at the end.
    id nextObject();
    // Attributes of the item nextObject last answered.
    std::shared_ptr<NSDictionary> fileAttributes() const;
    // Leaves out the contents of the folder nextObject last answered.
    void skipDescendants() { m_skipDescendants = true; }
    std::shared_ptr<NSArray> allObjects();
    NSUInteger level() const { return m_level; }

protected:
    bool init(const NSString& path);

private:
    struct Folder {
        std::filesystem::path relative;
        std::vector<std::filesystem::path> names;
        std::size_t next { 0 };
    };
    void pushFolder(const std::filesystem::path& relative);

    std::filesystem::path m_root;
    std::vector<Folder> m_stack;
    std::filesystem::path m_current;
    bool m_currentIsFolder { false };
    bool m_skipDescendants { false };
    NSUInteger m_level { 0 };
};
