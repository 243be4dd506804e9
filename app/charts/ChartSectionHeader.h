#pragma once
// The white title row over a chart, marked by a red strip at its left edge.

#include "platform/uikit/UIView.h"

class ChartSectionHeader {
public:
    // 44 high, at y across width.
    static UIViewRef headerWithTitle(const NSString& title, CGFloat y, CGFloat width);
};
