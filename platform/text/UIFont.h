#pragma once
// Fonts by the platform's names ("Helvetica-Bold", "HelveticaNeue-Light", "STHeitiSC-Light", the
// system font), resolved through the project's font configuration. The same object serves as
// the text engine's font (CTFontRef), as on the platform.

#include "platform/foundation/NSString.h"
#include "platform/graphics/CGGeometry.h"

#include <memory>

class UIFont : public NSObject {
    NS_OBJECT(UIFont, NSObject)
public:
    // Nil when the name means no face of the configuration.
    static std::shared_ptr<UIFont> fontWithName(const NSString& fontName, CGFloat fontSize);
    static std::shared_ptr<UIFont> systemFontOfSize(CGFloat fontSize);
    static std::shared_ptr<UIFont> boldSystemFontOfSize(CGFloat fontSize);
    static std::shared_ptr<UIFont> italicSystemFontOfSize(CGFloat fontSize);
    // The text engine's font when a run names none.
    static std::shared_ptr<UIFont> defaultTextFont();
    // Lets the system take back the font files' pages this process has read (they stay cached
    // and are read again on demand); the screen calls it once it has rested a while.
    static void releaseResidentFontPages();

    std::shared_ptr<UIFont> fontWithSize(CGFloat fontSize) const;

    const NSString& fontName() const { return m_fontName; }
    NSString familyName() const;
    CGFloat pointSize() const { return m_pointSize; }
    CGFloat ascender() const { return m_ascender; }
    // Below the baseline, so negative.
    CGFloat descender() const { return m_descender; }
    CGFloat lineHeight() const { return m_ascender - m_descender + m_lineGap; }
    // The old name of lineHeight, which the platform's font still answers.
    CGFloat leading() const { return lineHeight(); }
    CGFloat capHeight() const { return m_capHeight; }
    CGFloat xHeight() const { return m_xHeight; }
    // The face's own gap between lines, which the text engine calls its leading.
    CGFloat lineGap() const { return m_lineGap; }
    CGFloat underlinePosition() const { return m_underlinePosition; }
    CGFloat underlineThickness() const { return m_underlineThickness; }

    // The text back end's description of the font; complete only inside the back end.
    class Backend;
    const Backend& backend() const { return *m_backend; }

    bool isEqual(const id& other) const override;
    NSUInteger hash() const override;
    NSString description() const override;

protected:
    bool init(const NSString& fontName, CGFloat fontSize);

private:
    struct BackendDeleter {
        void operator()(Backend* backend) const;
    };

    NSString m_fontName;
    CGFloat m_pointSize { 0 };
    CGFloat m_ascender { 0 };
    CGFloat m_descender { 0 };
    CGFloat m_lineGap { 0 };
    CGFloat m_capHeight { 0 };
    CGFloat m_xHeight { 0 };
    CGFloat m_underlinePosition { 0 };
    CGFloat m_underlineThickness { 0 };
    std::unique_ptr<Backend, BackendDeleter> m_backend;
};

using UIFontRef = std::shared_ptr<UIFont>;
