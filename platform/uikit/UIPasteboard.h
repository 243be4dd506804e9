#pragma once
// The general pasteboard: text the user copied, shared by the whole application, and named
// pasteboards made on request. Safe to use from any thread. Each change counts up changeCount.
//
// A persistent named pasteboard is kept as a file under the sandbox's Library/Pasteboards/, so
// it outlives the process: every read takes the stored contents, which another process may have
// changed since. A pasteboard that is not persistent lives until it is removed or the process
// ends.
//
// The window host lends the general pasteboard the desktop's clipboard: on the main thread its
// strings are read from there when the desktop's text changed, and strings set go there too.

#include "platform/foundation/Mutex.h"
#include "platform/foundation/NSData.h"
#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"

#include <functional>
#include <map>
#include <vector>

inline constexpr const char* UIPasteboardNameGeneral = "corvane.pasteboard.general";

class UIPasteboard : public NSObject {
    NS_OBJECT(UIPasteboard, NSObject)
public:
    static std::shared_ptr<UIPasteboard> generalPasteboard();
    // The pasteboard of that name; made when `create` is set, else nil when none exists. Nil for
    // a nil or empty name.
    static std::shared_ptr<UIPasteboard> pasteboardWithName(const NSString& name, bool create);
    // Forgets the pasteboard and its stored contents; the general pasteboard stays.
    static void removePasteboardWithName(const NSString& name);

    NSString name() const { return m_name; }
    NSInteger changeCount() const;

    // The first string; nil when the pasteboard holds none.
    NSString string() const;
    // Nil empties the pasteboard.
    void setString(const NSString& string);
    std::vector<NSString> strings() const;
    // Nil strings are left out.
    void setStrings(const std::vector<NSString>& strings);
    NSInteger numberOfItems() const;
    bool hasStrings() const { return !strings().empty(); }

    // Data of one type in the first item; nil when there is none. Setting data makes the
    // pasteboard hold that one item (nil data empties it).
    std::shared_ptr<NSData> dataForPasteboardType(const NSString& pasteboardType) const;
    void setData(const std::shared_ptr<NSData>& data, const NSString& pasteboardType);
    std::vector<NSString> pasteboardTypes() const;

    // The desktop's clipboard: read answers its text (nil when it holds none), write replaces
    // it. Nil functions take the pasteboard back into the process. The general pasteboard only.
    using ClipboardReader = std::function<NSString()>;
    using ClipboardWriter = std::function<void(const NSString&)>;
    void setSystemClipboard(ClipboardReader read, ClipboardWriter write);

    bool isPersistent() const;
    // The general pasteboard is always persistent; false for it is ignored.
    void setPersistent(bool persistent);

protected:
    void init(const NSString& name) { m_name = name; }

private:
    friend struct PasteboardRegistry;
    NSString storePath() const;
    void reloadIfPersistent() const REQUIRES(m_mutex);
    void storeIfPersistent() const REQUIRES(m_mutex);
    // Takes the desktop's text when it changed since it was last seen; main thread only.
    void takeSystemClipboard() const;

    // Both fixed before the pasteboard is handed out.
    NSString m_name;
    bool m_named { false };
    // Mutable: a read takes the stored contents first.
    mutable Mutex m_mutex;
    mutable std::vector<NSString> m_strings GUARDED_BY(m_mutex);
    mutable std::map<NSString, std::shared_ptr<NSData>> m_data GUARDED_BY(m_mutex);
    mutable NSInteger m_changeCount GUARDED_BY(m_mutex) { 0 };
    bool m_persistent GUARDED_BY(m_mutex) { false };
    ClipboardReader m_readClipboard GUARDED_BY(m_mutex);
    ClipboardWriter m_writeClipboard GUARDED_BY(m_mutex);
    mutable NSString m_lastClipboardText GUARDED_BY(m_mutex);
};

using UIPasteboardRef = std::shared_ptr<UIPasteboard>;
