#pragma once
// The engine's C helpers: exact decimal conversions and arithmetic, coordinate helpers, pixel
// alignment through device space, rounded-rectangle paths and point helpers.
//
// Decimal conversions never depend on the process's C locale: numbers are written and read with
// '.' whatever LC_NUMERIC says.

#include "framework/Source/PEDefinitions.h"
#include "platform/foundation/NSDecimal.h"
#include "platform/graphics/CGContext.h"
#include "platform/graphics/CGPath.h"

class PELineStyle;

// Integers to exact decimals.
NSDecimal PEDecimalWithChar(signed char value);
NSDecimal PEDecimalWithShort(short value);
NSDecimal PEDecimalWithInt(int value);
NSDecimal PEDecimalWithLong(long value);
NSDecimal PEDecimalWithLongLong(long long value);
NSDecimal PEDecimalWithUnsignedChar(unsigned char value);
NSDecimal PEDecimalWithUnsignedShort(unsigned short value);
NSDecimal PEDecimalWithUnsignedInt(unsigned int value);
NSDecimal PEDecimalWithUnsignedLong(unsigned long value);
NSDecimal PEDecimalWithUnsignedLongLong(unsigned long long value);
NSDecimal PEDecimalWithInteger(NSInteger value);

// Floating point to decimal, rounded to six places after the point as "%f" writes them (so
// magnitudes below 0.0000005 become 0). Infinities and NaN give the not-a-number decimal.
NSDecimal PEDecimalWithFloat(float value);
NSDecimal PEDecimalWithDouble(double value);
NSDecimal PEDecimalWithCGFloat(CGFloat value);

// Decimals to C types: integers truncate towards zero and wrap as the narrowing conversions of
// the number classes do; not-a-number gives 0 (NaN for the floating types).
signed char PEDecimalAsChar(const NSDecimal& decimal);
short PEDecimalAsShort(const NSDecimal& decimal);
long PEDecimalAsLong(const NSDecimal& decimal);
long long PEDecimalAsLongLong(const NSDecimal& decimal);
unsigned char PEDecimalAsUnsignedChar(const NSDecimal& decimal);
unsigned short PEDecimalAsUnsignedShort(const NSDecimal& decimal);
unsigned long PEDecimalAsUnsignedLong(const NSDecimal& decimal);
unsigned long long PEDecimalAsUnsignedLongLong(const NSDecimal& decimal);
float PEDecimalAsFloat(const NSDecimal& decimal);
double PEDecimalAsDouble(const NSDecimal& decimal);
CGFloat PEDecimalAsCGFloat(const NSDecimal& decimal);

// Banker's rounding; errors give not-a-number (division by zero included) and are not reported.
NSDecimal PEDecimalSum(const NSDecimal& a, const NSDecimal& b);
NSDecimal PEDecimalDifference(const NSDecimal& a, const NSDecimal& b);
NSDecimal PEDecimalProduct(const NSDecimal& a, const NSDecimal& b);
NSDecimal PEDecimalQuotient(const NSDecimal& a, const NSDecimal& b);

// By NSDecimalCompare, where not-a-number sorts below every number and equals itself.
bool PEDecimalIsLess(const NSDecimal& a, const NSDecimal& b);
bool PEDecimalIsLessOrEqual(const NSDecimal& a, const NSDecimal& b);
bool PEDecimalIsGreater(const NSDecimal& a, const NSDecimal& b);
bool PEDecimalIsGreaterOrEqual(const NSDecimal& a, const NSDecimal& b);
bool PEDecimalIsEqual(const NSDecimal& a, const NSDecimal& b);

// The engine's marker for a missing decimal.
NSDecimal PEDecimalNotANumber();
// Reads a decimal from text such as "0.5" or "-12"; not-a-number when the text is not one.
NSDecimal PEDecimalFromString(const NSString& text);

PECoordinate PEOtherCoordinate(PECoordinate coordinate);

// Pixel alignment in the context's device space: "align" puts values on pixel centres (crisp
// one-pixel strokes), "snap" on pixel edges (filled rectangles).
CGPoint PEPixelAlignPoint(const CGContextRef& context, CGPoint point);
CGPoint PEPixelSnapPoint(const CGContextRef& context, CGPoint point);
CGRect PEPixelAlignRect(const CGContextRef& context, CGRect rect);
CGRect PEPixelSnapRect(const CGContextRef& context, CGRect rect);
CGRect PEPixelAlignBorderedRect(const CGContextRef& context, CGRect rect, const std::shared_ptr<PELineStyle>& lineStyle);

// A rectangle with its corners rounded by arcs of the radius (at most half the width and height);
// the plain rectangle when the radius is not above 0.
CGPathRef PENewRoundedRectPath(CGRect rect, CGFloat radius);
void PEAddRoundedRectPathToContext(const CGContextRef& context, CGRect rect, CGFloat radius);

CGFloat PEPointDistanceSquared(CGPoint a, CGPoint b);
// "{%g, %g}".
NSString PEPointDescription(CGPoint point);

// Make the context the current platform drawing context, and restore the previous one.
void PEPushPlatformContext(const CGContextRef& context);
void PEPopPlatformContext();
