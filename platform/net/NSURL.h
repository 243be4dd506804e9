#pragma once
// URLs as the platform parses them: text that is not a valid URL (spaces, non-ASCII characters,
// a broken escape) gives nil; a relative URL keeps its base and resolves against it.

#include "platform/foundation/NSCoder.h"
#include "platform/foundation/NSString.h"

class NSNumber;

class NSURL final : public NSObject, public NSCoding {
    NS_OBJECT(NSURL, NSObject)
public:
    static std::shared_ptr<NSURL> URLWithString(const NSString& text);
    static std::shared_ptr<NSURL> URLWithString(const NSString& text, const std::shared_ptr<NSURL>& baseURL);
    // A file URL for a path; a directory's URL ends in "/" so relative links resolve inside it.
    static std::shared_ptr<NSURL> fileURLWithPath(const NSString& path);
    static std::shared_ptr<NSURL> fileURLWithPath(const NSString& path, bool isDirectory);

    NSString absoluteString() const;
    NSString relativeString() const { return m_text; }
    std::shared_ptr<NSURL> baseURL() const { return m_base; }
    std::shared_ptr<NSURL> absoluteURL() const;

    NSString scheme() const { return absoluteParts().scheme; }
    NSString host() const;
    std::shared_ptr<NSNumber> port() const;
    NSString user() const;
    NSString password() const;
    // Percent escapes decoded, as the platform answers it; "" for a URL with an empty path.
    NSString path() const;
    NSString relativePath() const;
    NSString query() const { return absoluteParts().query; }
    NSString fragment() const { return absoluteParts().fragment; }
    NSString resourceSpecifier() const;
    NSString lastPathComponent() const { return path().lastPathComponent(); }
    NSString pathExtension() const { return path().pathExtension(); }
    bool isFileURL() const { return scheme().caseInsensitiveCompare("file") == NSOrderedSame; }

    std::shared_ptr<NSURL> URLByAppendingPathComponent(const NSString& component) const;
    std::shared_ptr<NSURL> URLByDeletingLastPathComponent() const;
    std::shared_ptr<NSURL> URLByAppendingQuery(const NSString& query) const;
    std::shared_ptr<NSURL> standardizedURL() const;

    NSString description() const override;
    bool isEqual(const id& other) const override;
    NSUInteger hash() const override { return absoluteString().hash(); }
    id copy() const override;
    void encodeWithCoder(NSCoder& coder) const override;

    // The parts of a URL text, each nil when the text has none.
    struct Parts {
        NSString scheme;
        NSString authority;
        NSString path;
        NSString query;
        NSString fragment;
        bool hasAuthority { false };
    };
    static Parts split(const NSString& text);
    static NSString join(const Parts& parts);

protected:
    bool init(const NSString& text, const std::shared_ptr<NSURL>& base);
    bool init(NSCoder& coder);

    const Parts& absoluteParts() const { return m_absolute; }

    NSString m_text;
    std::shared_ptr<NSURL> m_base;
    Parts m_absolute;
};
