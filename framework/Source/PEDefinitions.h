#pragma once
// Types, values and notification names shared by every part of the plotting engine.

#include <cstdint>

// The coordinates of a plot space.
enum PECoordinate : std::int32_t {
    PECoordinateX = 0,
    PECoordinateY = 1,
    PECoordinateNone = 2,
};

// Where a value lies with respect to a plot range.
enum PEPlotRangeComparisonResult : std::int32_t {
    PEPlotRangeComparisonResultNumberBelowRange = 0,
    PEPlotRangeComparisonResultNumberInRange = 1,
    PEPlotRangeComparisonResultNumberAboveRange = 2,
};

enum PEScaleType : std::int32_t {
    PEScaleTypeLinear = 0,
    PEScaleTypeLog = 1,
};

// How an axis finds its tick locations; the last three generate them inside the visible range.
enum PEAxisLabelingPolicy : std::int32_t {
    PEAxisLabelingPolicyNone = 0,
    PEAxisLabelingPolicyLocationsProvided = 1,
    PEAxisLabelingPolicyFixedInterval = 2,
    PEAxisLabelingPolicyAutomatic = 3,
    PEAxisLabelingPolicyEqualDivisions = 4,
};

// The side of an axis line that ticks and labels go to.
enum PESign : std::int32_t {
    PESignNone = 0,
    PESignPositive = +1,
    PESignNegative = -1,
};

enum PEAlignment : std::int32_t {
    PEAlignmentLeft = 0,
    PEAlignmentCenter = 1,
    PEAlignmentRight = 2,
    PEAlignmentTop = 3,
    PEAlignmentMiddle = 4,
    PEAlignmentBottom = 5,
};

// A reference point on a rectangle. In the engine's geometry y grows upwards, so "bottom" is the
// rectangle's minimum y.
enum PERectAnchor : std::int32_t {
    PERectAnchorBottomLeft = 0,
    PERectAnchorBottom = 1,
    PERectAnchorBottomRight = 2,
    PERectAnchorLeft = 3,
    PERectAnchorRight = 4,
    PERectAnchorTopLeft = 5,
    PERectAnchorTop = 6,
    PERectAnchorTopRight = 7,
    PERectAnchorCenter = 8,
};

// The six layers the plot area stacks.
enum PEPlotAreaLayerType : std::int32_t {
    PEPlotAreaLayerTypeMinorGridLines = 0,
    PEPlotAreaLayerTypeMajorGridLines = 1,
    PEPlotAreaLayerTypeAxisLines = 2,
    PEPlotAreaLayerTypePlots = 3,
    PEPlotAreaLayerTypeAxisLabels = 4,
    PEPlotAreaLayerTypeAxisTitles = 5,
};
inline constexpr int PEPlotAreaLayerTypeCount = 6;

// Notification names.
inline constexpr const char* PEGraphNeedsRedrawNotification = "PEGraphNeedsRedrawNotification";
inline constexpr const char* PELayerBoundsDidChangeNotification = "PELayerBoundsDidChangeNotification";
inline constexpr const char* PEPlotSpaceCoordinateMappingDidChangeNotification = "PEPlotSpaceCoordinateMappingDidChangeNotification";
inline constexpr const char* PELegendNeedsRedrawForPlotNotification = "PELegendNeedsRedrawForPlotNotification";
inline constexpr const char* PELegendNeedsLayoutForPlotNotification = "PELegendNeedsLayoutForPlotNotification";
inline constexpr const char* PELegendNeedsReloadEntriesForPlotNotification = "PELegendNeedsReloadEntriesForPlotNotification";
