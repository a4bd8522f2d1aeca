#pragma once

#include <functional>

// Text size and padding of the buttons of a key grid page.
struct LabelStyleSizes
{
    int fontPx = 0;
    int paddingV = 0;
    int paddingH = 0;
};

namespace LabelFitting {

// Shrinks the scaled sizes until the labels fit the page: a little smaller text first, then
// less padding, then smaller text down to a readable minimum. Before the first layout the page
// has no size to fit (hasSize false) and the scaled sizes are kept.
LabelStyleSizes shrinkToFit(const LabelStyleSizes &scaled, bool hasSize,
                            const std::function<bool(int fontPx, int paddingV, int paddingH)> &fits);

} // namespace LabelFitting
