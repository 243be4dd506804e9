#pragma once
// The text engine's font functions. Its font is the UIKit font object, as on the platform.

#include "platform/text/UIFont.h"
#include "platform/graphics/CGAffineTransform.h"

using CTFontRef = std::shared_ptr<UIFont>;

// Never nil: a name that means no face gives the engine's default face at the size.
CTFontRef CTFontCreateWithName(const NSString& name, CGFloat size, const CGAffineTransform* matrix);
CTFontRef CTFontCreateCopyWithAttributes(const CTFontRef& font, CGFloat size, const CGAffineTransform* matrix, const id& attributes);
CGFloat CTFontGetSize(const CTFontRef& font);
CGFloat CTFontGetAscent(const CTFontRef& font);
// Positive, unlike UIFont's descender.
CGFloat CTFontGetDescent(const CTFontRef& font);
// The face's gap between lines.
CGFloat CTFontGetLeading(const CTFontRef& font);
CGFloat CTFontGetCapHeight(const CTFontRef& font);
CGFloat CTFontGetXHeight(const CTFontRef& font);
CGFloat CTFontGetUnderlinePosition(const CTFontRef& font);
CGFloat CTFontGetUnderlineThickness(const CTFontRef& font);
NSString CTFontCopyPostScriptName(const CTFontRef& font);
NSString CTFontCopyFamilyName(const CTFontRef& font);
