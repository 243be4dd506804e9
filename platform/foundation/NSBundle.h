#pragma once
// A folder of resources. The main bundle is the built resources folder: $CORVANE_RESOURCES when
// set, else the build's copy of resources/ with its drawings rendered. Resources are found in the folder
// itself, then in the localisation folders of the device language (zh-Hans, then Base, then en).

#include "platform/foundation/Guarded.h"
#include "platform/foundation/NSDictionary.h"

#include <map>

class NSBundle : public NSObject {
    NS_OBJECT(NSBundle, NSObject)
public:
    static const std::shared_ptr<NSBundle>& mainBundle();
    // Nil when the path is no folder.
    static std::shared_ptr<NSBundle> bundleWithPath(const NSString& path);

    const NSString& bundlePath() const { return m_path; }
    const NSString& resourcePath() const { return m_path; }
    NSString bundleIdentifier() const;

    // A type of nil or "" takes the name as the whole file name. Nil when nothing is found.
    NSString pathForResource(const NSString& name, const NSString& type) const;
    NSString pathForResource(const NSString& name, const NSString& type, const NSString& directory) const;
    // Every file with the extension in the subfolder ("." or nil for the top), sorted by name.
    std::shared_ptr<NSArray> pathsForResourcesOfType(const NSString& type, const NSString& directory) const;

    // Info.plist of the bundle; empty when it has none or it does not read.
    std::shared_ptr<NSDictionary> infoDictionary() const;
    id objectForInfoDictionaryKey(const NSString& key) const;

    // The translation of the key in the string table ("Localizable" for nil), else the value
    // when it is not empty, else the key itself.
    NSString localizedStringForKey(const NSString& key, const NSString& value, const NSString& table) const;

    // Reads an old-style string table ("key" = "value"; with comments and escapes), in UTF-8 or
    // UTF-16 with a byte-order mark, or a property-list dictionary. Nil when it does not parse.
    static std::shared_ptr<NSDictionary> stringTableWithData(const std::shared_ptr<NSData>& data);

protected:
    void init(const NSString& path) { m_path = path; }

private:
    std::shared_ptr<NSDictionary> stringTable(const NSString& table) const;

    // Fixed by init.
    NSString m_path;
    struct Loaded {
        std::shared_ptr<NSDictionary> infoDictionary;
        std::map<std::u16string, std::shared_ptr<NSDictionary>> stringTables;
    };
    // Mutable: filled on first read.
    mutable Guarded<Loaded> m_loaded;
};

NSString NSLocalizedString(const NSString& key, const NSString& comment);
NSString NSLocalizedStringFromTable(const NSString& key, const NSString& table, const NSString& comment);
