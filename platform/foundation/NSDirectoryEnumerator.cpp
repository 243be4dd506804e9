#include "platform/foundation/NSDirectoryEnumerator.h"

#include "platform/foundation/NSFileManager.h"

#include <algorithm>

namespace fs = std::filesystem;

bool NSDirectoryEnumerator::init(const NSString& path)
{
    std::error_code failure;
    if (path.isNil() || !fs::is_directory(path.UTF8String(), failure))
        return false;
    m_root = path.UTF8String();
    pushFolder({});
    return true;
}

void NSDirectoryEnumerator::pushFolder(const fs::path& relative)
{
    Folder folder { relative, {} };
    std::error_code failure;
    for (fs::directory_iterator entry(m_root / relative, failure), end; !failure && entry != end; entry.increment(failure))
        folder.names.push_back(entry->path().filename());
    std::sort(folder.names.begin(), folder.names.end());
    m_stack.push_back(std::move(folder));
}

id NSDirectoryEnumerator::nextObject()
{
    // Descend into the folder answered last, unless told not to. Symbolic links to folders
    // are not followed, so a link loop cannot trap the walk.
    if (m_currentIsFolder && !m_skipDescendants)
        pushFolder(m_current);
    m_currentIsFolder = false;
    m_skipDescendants = false;
    while (!m_stack.empty() && m_stack.back().next == m_stack.back().names.size())
        m_stack.pop_back();
    if (m_stack.empty())
        return nullptr;
    Folder& folder = m_stack.back();
    m_current = folder.relative / folder.names[folder.next++];
    m_level = m_stack.size();
    std::error_code failure;
    m_currentIsFolder = fs::is_directory(fs::symlink_status(m_root / m_current, failure));
    return NSString(m_current.string());
}

std::shared_ptr<NSDictionary> NSDirectoryEnumerator::fileAttributes() const
{
    if (m_current.empty())
        return nullptr;
    return NSFileManager::attributesOfItem((m_root / m_current).string(), nullptr);
}

std::shared_ptr<NSArray> NSDirectoryEnumerator::allObjects()
{
    auto all = NSMutableArray::array();
    while (id path = nextObject())
        all->addObject(path);
    return all->copyArray();
}
