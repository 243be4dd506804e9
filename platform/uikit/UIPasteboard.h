#pragma once
// The general pasteboard: text the user copied, shared by the whole application. Safe to use
// from any thread. Each change counts up changeCount.
//
// FIXME: the pasteboard lives in the process; the window host does not yet exchange it with the
// desktop's clipboard.

#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"

#include <mutex>
#include <vector>

inline constexpr const char* UIPasteboardNameGeneral = "com.apple.UIKit.pboard.general";

class UIPasteboard : public NSObject {
    NS_OBJECT(UIPasteboard, NSObject)
public:
    static std::shared_ptr<UIPasteboard> generalPasteboard();

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
    bool hasStrings() const { return numberOfItems() > 0; }

protected:
    void init(const NSString& name) { m_name = name; }

private:
    NSString m_name;
    mutable std::mutex m_mutex;
    std::vector<NSString> m_strings;
    NSInteger m_changeCount { 0 };
};

using UIPasteboardRef = std::shared_ptr<UIPasteboard>;
