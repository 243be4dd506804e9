#pragma once
// How the engine spreads values that keyed archives cannot hold directly over keys derived from
// the caller's key K: a point as K.x and K.y, a size as K.width and K.height, a rectangle as
// K.origin.x, K.origin.y, K.size.width and K.size.height, a path as K.count and one
// K[i].type with its points per element, an image as its bitmap fields and pixel bytes, a
// decimal as an NSDecimalNumber under K. Any part of the engine reads back what another wrote.
//
// Archives may come from elsewhere: paths and images are checked against their counts and
// bytes, and a description that does not hold together decodes as nil.

#include "platform/foundation/NSCoder.h"
#include "platform/foundation/NSDecimal.h"
#include "platform/graphics/CGColorSpace.h"
#include "platform/graphics/CGGeometry.h"
#include "platform/graphics/CGImage.h"
#include "platform/graphics/CGPath.h"

namespace NSCoder_PEExtensions {

void encodeCGFloat(NSCoder& coder, CGFloat number, const NSString& key);
void encodePEPoint(NSCoder& coder, CGPoint point, const NSString& key);
void encodePESize(NSCoder& coder, CGSize size, const NSString& key);
void encodePERect(NSCoder& coder, CGRect rect, const NSString& key);
// Colour spaces are not archived: this only logs, and decoding gives device RGB.
void encodeCGColorSpace(NSCoder& coder, const CGColorSpaceRef& colorSpace, const NSString& key);
void encodeCGPath(NSCoder& coder, const CGPathRef& path, const NSString& key);
void encodeCGImage(NSCoder& coder, const CGImageRef& image, const NSString& key);
void encodeDecimal(NSCoder& coder, const NSDecimal& number, const NSString& key);
// Writes an object that a reader can make again (a registered coding class); writes nothing for
// others, such as a formatter of the caller's own, so the archive still reads back.
void encodeObjectIfDecodable(NSCoder& coder, const id& object, const NSString& key);

// Absent keys read as zero.
CGFloat decodeCGFloatForKey(NSCoder& coder, const NSString& key);
CGPoint decodePEPointForKey(NSCoder& coder, const NSString& key);
CGSize decodePESizeForKey(NSCoder& coder, const NSString& key);
CGRect decodePERectForKey(NSCoder& coder, const NSString& key);
CGColorSpaceRef newCGColorSpaceDecodeForKey(NSCoder& coder, const NSString& key);
// An absent count gives an empty path; a negative count, a count beyond the elements the
// archive holds, or an element without its type gives nil.
CGMutablePathRef newCGPathDecodeForKey(NSCoder& coder, const NSString& key);
// Nil when the fields do not describe an image the pixel bytes can fill, or the decode array
// does not have two bounds for each component of the (device RGB) colour space.
CGImageRef newCGImageDecodeForKey(NSCoder& coder, const NSString& key);
// A copy of the identifier under the key when it is a value (string, attributed string, number);
// nil for anything else, which could otherwise link back to the objects being decoded.
id decodeIdentifierForKey(NSCoder& coder, const NSString& key);
// The engine's not-a-number decimal when the key is absent or holds no number.
NSDecimal decodeDecimalForKey(NSCoder& coder, const NSString& key);

} // namespace NSCoder_PEExtensions
