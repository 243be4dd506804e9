#pragma once
// A text style whose fields can be set.

#include "framework/Source/PETextStyle.h"

class PEMutableTextStyle : public PETextStyle {
    NS_OBJECT(PEMutableTextStyle, PETextStyle)
public:
    static std::shared_ptr<PEMutableTextStyle> textStyle() { return create(); }

    using PETextStyle::setColor;
    using PETextStyle::setFontName;
    using PETextStyle::setFontSize;
    using PETextStyle::setLineBreakMode;
    using PETextStyle::setTextAlignment;

};

using PEMutableTextStyleRef = std::shared_ptr<PEMutableTextStyle>;
