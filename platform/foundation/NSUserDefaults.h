#pragma once
// The application's preferences: a property-list file in the sandbox's Library/Preferences/,
// named after the bundle identifier. Values are kept in memory; synchronize writes them
// atomically (a reader never sees half a file), and a reopened store reads them back.
// Registered defaults answer for keys that were never set and are never written.

#include "platform/foundation/Guarded.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSData.h"

class NSUserDefaults : public NSObject {
    NS_OBJECT(NSUserDefaults, NSObject)
public:
    static std::shared_ptr<NSUserDefaults> standardUserDefaults();
    // Writes the shared instance and drops it: the next standardUserDefaults() opens the file
    // again, as a restarted process would.
    static void resetStandardUserDefaults();

    id objectForKey(const NSString& key) const;
    // Text for a string, the stringValue of a number, nil otherwise.
    NSString stringForKey(const NSString& key) const;
    std::shared_ptr<NSData> dataForKey(const NSString& key) const;
    std::shared_ptr<NSArray> arrayForKey(const NSString& key) const;
    std::shared_ptr<NSDictionary> dictionaryForKey(const NSString& key) const;
    // Numbers, or text read as a number; 0 / NO otherwise.
    NSInteger integerForKey(const NSString& key) const;
    bool boolForKey(const NSString& key) const;
    double doubleForKey(const NSString& key) const;
    float floatForKey(const NSString& key) const;

    // Stores a deep, immutable copy. Nil removes the key. A value that is no property list
    // raises NSInvalidArgumentException, as the platform does.
    void setObject(const id& value, const NSString& key);
    void setInteger(NSInteger value, const NSString& key);
    void setBool(bool value, const NSString& key);
    void setDouble(double value, const NSString& key);
    void setFloat(float value, const NSString& key);
    void removeObjectForKey(const NSString& key);

    void registerDefaults(const std::shared_ptr<NSDictionary>& registrationDictionary);
    // The set values over the registered ones.
    std::shared_ptr<NSDictionary> dictionaryRepresentation() const;

    // False when the file could not be written.
    bool synchronize();

    const NSString& filePath() const { return m_path; }

protected:
    void init(const NSString& path);

private:
    // Fixed by init.
    NSString m_path;
    struct State {
        std::shared_ptr<NSMutableDictionary> values { NSMutableDictionary::dictionary() };
        std::shared_ptr<NSMutableDictionary> registered { NSMutableDictionary::dictionary() };
        bool dirty { false };
    };
    Guarded<State> m_state;
    // Held for a whole write, so an older snapshot never lands after a newer one.
    Mutex m_writeMutex;
};
