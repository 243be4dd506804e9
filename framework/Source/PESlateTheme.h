#pragma once
// The Cartesian theme registered as "Slate".

#include "framework/Source/PEShadedXYTheme.h"

class PESlateTheme : public PEShadedXYTheme {
    NS_OBJECT(PESlateTheme, PEShadedXYTheme)
public:
    static NSString name() { return "Slate"; }
    NSString themeName() const override { return name(); }

protected:
    bool isDark() const override { return false; }
};
