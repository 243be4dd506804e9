#pragma once
// An axis title: placed like a label, but turned by the axis side unless a rotation is set.
// Titles equal only titles with equal rotation, offset, content and location.

#include "framework/Source/PEAxisLabel.h"

class PEAxisTitle : public PEAxisLabel {
    NS_OBJECT(PEAxisTitle, PEAxisLabel)
public:
    static std::shared_ptr<PEAxisTitle> titleWithText(const NSString& text, const std::shared_ptr<PETextStyle>& style);

    bool isEqual(const id& other) const override;
    NSUInteger hash() const override;

protected:
    bool init(const std::shared_ptr<PELayer>& layer);
    bool init(NSCoder& coder) { return PEAxisLabel::init(coder); }
};

using PEAxisTitleRef = std::shared_ptr<PEAxisTitle>;
