#include "pages/labelfitting.h"

#include <algorithm>

namespace LabelFitting {

LabelStyleSizes shrinkToFit(const LabelStyleSizes &scaled, bool hasSize,
                            const std::function<bool(int, int, int)> &fits)
{
    int fontPx = scaled.fontPx;
    int paddingV = scaled.paddingV;
    int paddingH = scaled.paddingH;
    if (hasSize && !fits(fontPx, paddingV, paddingH)) {
        const int comfortable = std::min(scaled.fontPx, 13);
        while (fontPx > comfortable && !fits(fontPx, paddingV, paddingH))
            --fontPx;
        if (!fits(fontPx, paddingV, paddingH)) {
            paddingV = std::min(paddingV, 2);
            paddingH = std::min(paddingH, 3);
            const int smallest = std::min(scaled.fontPx, 9);
            while (fontPx > smallest && !fits(fontPx, paddingV, paddingH))
                --fontPx;
        }
    }
    return LabelStyleSizes{fontPx, paddingV, paddingH};
}

} // namespace LabelFitting
