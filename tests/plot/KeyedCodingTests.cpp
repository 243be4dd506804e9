#include "framework/Source/NSCoder_PEExtensions.h"
#include "framework/Source/PEConstraints.h"
#include "framework/Source/PEUtilities.h"
#include "framework/Source/_PEConstraintsFixed.h"
#include "framework/Source/_PEConstraintsRelative.h"
#include "platform/foundation/Foundation.h"
#include "platform/foundation/NSDecimalNumber.h"
#include "platform/foundation/NSKeyedArchiver.h"
#include "platform/foundation/NSKeyedUnarchiver.h"
#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/graphics/CGDataProvider.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace NSCoder_PEExtensions;

namespace {

// Writes through the given steps, then reads the archive back.
std::shared_ptr<NSKeyedUnarchiver> roundTrip(const std::function<void(NSCoder&)>& write)
{
    auto archiver = NSKeyedArchiver::create();
    write(*archiver);
    auto unarchiver = NSKeyedUnarchiver::create(archiver->encodedData());
    EXPECT_TRUE(unarchiver);
    return unarchiver;
}

std::vector<CGPath::Element> elementsOf(const CGPathRef& path) { return path ? path->elements() : std::vector<CGPath::Element> {}; }

CGImageRef smallImage(std::vector<CGFloat> decode = {})
{
    std::vector<std::uint8_t> pixels { 255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 9, 9, 9, 255 };
    return CGImageCreate(2, 2, 8, 32, 8, CGColorSpaceCreateDeviceRGB(), kCGImageAlphaPremultipliedLast,
        CGDataProviderCreateWithCFData(pixels), decode.empty() ? nullptr : decode.data(), true, kCGRenderingIntentDefault);
}

// The names of the classes an archive records.
std::vector<std::string> archivedClassNames(const std::shared_ptr<NSData>& archive)
{
    std::vector<std::string> names;
    auto plist = ns::cast<NSDictionary>(NSPropertyListSerialization::propertyListWithData(archive, 0, nullptr, nullptr));
    auto objects = plist ? ns::cast<NSArray>(plist->objectForKey("$objects")) : nullptr;
    for (const id& object : objects ? *objects : *NSArray::array()) {
        if (auto description = ns::cast<NSDictionary>(object)) {
            NSString name = NSString::fromId(description->objectForKey("$classname"));
            if (!name.isNil())
                names.push_back(name.UTF8String());
        }
    }
    return names;
}

} // namespace

TEST(KeyedCodingExtensions, spreadsGeometryOverDerivedKeys)
{
    auto reader = roundTrip([](NSCoder& coder) {
        encodePEPoint(coder, CGPointMake(1.5, -2), "PEThing.point");
        encodePERect(coder, CGRectMake(1, 2, 3, 4), "PEThing.frame");
        encodePESize(coder, CGSizeMake(5, 6), "PEThing.size");
        encodeCGFloat(coder, 0.25, "PEThing.width");
    });
    EXPECT_EQ(reader->decodeDoubleForKey("PEThing.point.x"), 1.5);
    EXPECT_EQ(reader->decodeDoubleForKey("PEThing.point.y"), -2.0);
    for (const char* key : { "PEThing.frame.origin.x", "PEThing.frame.origin.y", "PEThing.frame.size.width", "PEThing.frame.size.height" })
        EXPECT_TRUE(reader->containsValueForKey(key)) << key;
    EXPECT_TRUE(CGRectEqualToRect(decodePERectForKey(*reader, "PEThing.frame"), CGRectMake(1, 2, 3, 4)));
    EXPECT_TRUE(CGSizeEqualToSize(decodePESizeForKey(*reader, "PEThing.size"), CGSizeMake(5, 6)));
    EXPECT_EQ(decodeCGFloatForKey(*reader, "PEThing.width"), 0.25);
    EXPECT_EQ(decodeCGFloatForKey(*reader, "PEThing.absent"), 0.0);
}

TEST(KeyedCodingExtensions, writesPathsElementByElement)
{
    auto path = CGPathCreateMutable();
    CGPathMoveToPoint(path, nullptr, 1, 2);
    CGPathAddLineToPoint(path, nullptr, 3, 4);
    CGPathAddCurveToPoint(path, nullptr, 5, 6, 7, 8, 9, 10);
    CGPathCloseSubpath(path);
    auto reader = roundTrip([&](NSCoder& coder) {
        encodeCGPath(coder, path, "PELineCap.customLineCapPath");
        encodeCGPath(coder, CGPathCreateMutable(), "PEEmpty.path");
    });
    EXPECT_EQ(reader->decodeIntegerForKey("PELineCap.customLineCapPath.count"), 4);
    EXPECT_EQ(reader->decodeIntForKey("PELineCap.customLineCapPath[2].type"), kCGPathElementAddCurveToPoint);
    EXPECT_EQ(reader->decodeDoubleForKey("PELineCap.customLineCapPath[2].point3.y"), 10.0);
    EXPECT_EQ(reader->decodeDoubleForKey("PELineCap.customLineCapPath[2].point1.x"), 5.0);
    EXPECT_FALSE(reader->containsValueForKey("PELineCap.customLineCapPath[3].point1.x"));
    EXPECT_EQ(elementsOf(newCGPathDecodeForKey(*reader, "PELineCap.customLineCapPath")), path->elements());

    EXPECT_EQ(reader->decodeIntegerForKey("PEEmpty.path.count"), 0);
    auto empty = newCGPathDecodeForKey(*reader, "PEEmpty.path");
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->isEmpty());
    EXPECT_TRUE(newCGPathDecodeForKey(*reader, "PENever.written")->isEmpty());
}

TEST(KeyedCodingExtensions, refusesPathsWhoseCountTheArchiveDoesNotHold)
{
    auto reader = roundTrip([](NSCoder& coder) {
        coder.encodeInteger(3, "Bad.count");
        coder.encodeInt(kCGPathElementMoveToPoint, "Bad[0].type");
        coder.encodeInteger(-1, "Negative.count");
        coder.encodeInteger(1 << 30, "Huge.count");
        coder.encodeInteger(2, "Odd.count");
        coder.encodeInt(7, "Odd[0].type");
        coder.encodeInt(kCGPathElementCloseSubpath, "Odd[1].type");
    });
    EXPECT_EQ(newCGPathDecodeForKey(*reader, "Bad"), nullptr);
    EXPECT_EQ(newCGPathDecodeForKey(*reader, "Negative"), nullptr);
    EXPECT_EQ(newCGPathDecodeForKey(*reader, "Huge"), nullptr);
    // An unknown element type adds nothing.
    auto odd = newCGPathDecodeForKey(*reader, "Odd");
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->elements().size(), 0u); // a close without a subpath is ignored by the path
}

TEST(KeyedCodingExtensions, roundTripsImagesAndRefusesShortPixelData)
{
    auto image = smallImage();
    ASSERT_TRUE(image);
    auto reader = roundTrip([&](NSCoder& coder) { encodeCGImage(coder, image, "PEFill.image"); });
    EXPECT_EQ(reader->decodeInt64ForKey("PEFill.image.bytesPerRow"), 8);
    EXPECT_FALSE(reader->containsValueForKey("PEFill.image.numberOfComponents"));
    auto back = newCGImageDecodeForKey(*reader, "PEFill.image");
    ASSERT_TRUE(back);
    EXPECT_EQ(CGImageGetWidth(back), 2u);
    EXPECT_EQ(CGDataProviderCopyData(CGImageGetDataProvider(back)), CGDataProviderCopyData(CGImageGetDataProvider(image)));
    EXPECT_EQ(CGImageGetDecode(back), nullptr);

    auto decoded = smallImage({ 0, 1, 0, 1, 1, 0 });
    ASSERT_TRUE(decoded);
    auto withDecode = roundTrip([&](NSCoder& coder) { encodeCGImage(coder, decoded, "I"); });
    EXPECT_EQ(withDecode->decodeInt64ForKey("I.numberOfComponents"), 3);
    EXPECT_EQ(withDecode->decodeDoubleForKey("I.decode[2].lower"), 1.0);
    auto decodedBack = newCGImageDecodeForKey(*withDecode, "I");
    ASSERT_TRUE(decodedBack);
    EXPECT_EQ(decodedBack->decode(), (std::vector<CGFloat> { 0, 1, 0, 1, 1, 0 }));

    auto damaged = roundTrip([&](NSCoder& coder) {
        encodeCGImage(coder, image, "Short");
        coder.encodeObject(NSData::dataWithBytes("abc", 3), "Short.provider");
        encodeCGImage(coder, image, "Components");
        coder.encodeInt64(1000000000, "Components.numberOfComponents");
        encodeCGImage(coder, image, "Wide");
        coder.encodeInt64(1ll << 40, "Wide.width");
    });
    EXPECT_EQ(newCGImageDecodeForKey(*damaged, "Short"), nullptr);
    EXPECT_EQ(newCGImageDecodeForKey(*damaged, "Components"), nullptr);
    EXPECT_EQ(newCGImageDecodeForKey(*damaged, "Wide"), nullptr);
    EXPECT_EQ(newCGImageDecodeForKey(*damaged, "Absent"), nullptr);
}

TEST(KeyedCodingExtensions, decodesAnAbsentDecimalAsNotANumber)
{
    auto reader = roundTrip([](NSCoder& coder) {
        encodeDecimal(coder, PEDecimalFromString("12.375"), "PEXYAxis.orthogonalCoordinateDecimal");
        coder.encodeObject(NSString("text"), "Text");
        coder.encodeObject(NSNumber::numberWithInt(7), "Number");
    });
    EXPECT_TRUE(ns::cast<NSDecimalNumber>(reader->decodeObjectForKey("PEXYAxis.orthogonalCoordinateDecimal")));
    NSDecimal value = decodeDecimalForKey(*reader, "PEXYAxis.orthogonalCoordinateDecimal");
    EXPECT_EQ(NSDecimalString(&value), NSString("12.375"));
    NSDecimal absent = decodeDecimalForKey(*reader, "Absent");
    EXPECT_TRUE(NSDecimalIsNotANumber(&absent));
    NSDecimal text = decodeDecimalForKey(*reader, "Text");
    EXPECT_TRUE(NSDecimalIsNotANumber(&text));
    NSDecimal number = decodeDecimalForKey(*reader, "Number");
    EXPECT_TRUE(PEDecimalIsEqual(number, PEDecimalWithInt(7)));
    EXPECT_EQ(CGColorSpaceGetModel(newCGColorSpaceDecodeForKey(*reader, "Any")), kCGColorSpaceModelRGB);
}

TEST(Constraints, placeValuesBetweenBounds)
{
    EXPECT_EQ(PEConstraints::constraintWithLowerOffset(10)->positionForLowerBound(0, 100), 10);
    EXPECT_EQ(PEConstraints::constraintWithUpperOffset(10)->positionForLowerBound(0, 100), 90);
    EXPECT_EQ(PEConstraints::constraintWithRelativeOffset(0.25)->positionForLowerBound(0, 100), 25);
    EXPECT_EQ(PEConstraints::constraintWithRelativeOffset(1.5)->positionForLowerBound(0, 100), 150);
    EXPECT_EQ(PEConstraints::constraintWithLowerOffset(3)->positionForLowerBound(7, 7), 10);
    EXPECT_EQ(PEConstraints::constraintWithUpperOffset(3)->positionForLowerBound(7, 7), 4);
    EXPECT_TRUE(std::isnan(PEConstraints::create()->positionForLowerBound(0, 1)));

    for (auto bounds : { std::pair<double, double> { 5.0, 1.0 }, { NAN, 1.0 }, { 0.0, NAN } }) {
        try {
            PEConstraints::constraintWithRelativeOffset(0.5)->positionForLowerBound(bounds.first, bounds.second);
            ADD_FAILURE() << "no exception";
        } catch (const NSException& exception) {
            EXPECT_EQ(exception.name(), NSString(NSInternalInconsistencyException));
            EXPECT_EQ(exception.reason(), NSString("lowerBound must be less than or equal to upperBound"));
        }
    }
}

TEST(Constraints, compareByKindSideAndOffset)
{
    auto lower = PEConstraints::constraintWithLowerOffset(2);
    EXPECT_TRUE(lower->isEqualToConstraint(PEConstraints::constraintWithLowerOffset(2)));
    EXPECT_FALSE(lower->isEqualToConstraint(PEConstraints::constraintWithUpperOffset(2)));
    EXPECT_FALSE(lower->isEqualToConstraint(PEConstraints::constraintWithRelativeOffset(2)));
    EXPECT_FALSE(PEConstraints::constraintWithRelativeOffset(2)->isEqualToConstraint(lower));
    EXPECT_FALSE(lower->isEqualToConstraint(nullptr));

    auto copy = ns::cast<PEConstraints>(lower->copy());
    ASSERT_TRUE(std::dynamic_pointer_cast<_PEConstraintsFixed>(copy));
    EXPECT_NE(copy, lower);
    EXPECT_TRUE(copy->isEqualToConstraint(lower));
    EXPECT_EQ(PEConstraints::create()->copy(), nullptr);
}

TEST(Constraints, archiveUnderThePublicClassAndDecodeToTheSameKind)
{
    for (const auto& constraint : { PEConstraints::constraintWithLowerOffset(4), PEConstraints::constraintWithUpperOffset(-1.5),
             PEConstraints::constraintWithRelativeOffset(0.75) }) {
        auto archive = NSKeyedArchiver::archivedDataWithRootObject(constraint);
        EXPECT_EQ(archivedClassNames(archive), (std::vector<std::string> { "PEConstraints" }));
        auto back = ns::cast<PEConstraints>(NSKeyedUnarchiver::unarchiveObjectWithData(archive));
        ASSERT_TRUE(back);
        EXPECT_EQ(std::string(back->className()), std::string(constraint->className()));
        EXPECT_TRUE(back->isEqualToConstraint(constraint));
    }
    auto bare = NSKeyedUnarchiver::unarchiveObjectWithData(NSKeyedArchiver::archivedDataWithRootObject(PEConstraints::create()));
    ASSERT_TRUE(bare);
    EXPECT_EQ(std::string(bare->className()), "PEConstraints");
}
