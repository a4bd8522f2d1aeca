#pragma once

// A function page whose fonts and sizes follow the window scale. The window restyles the
// pages through this one call; each page knows which of its parts a scale touches.
class ScalablePage
{
public:
    virtual ~ScalablePage() = default;
    // Restyling costs milliseconds (every button is polished again): call it when the
    // scale changed, not on every resize event.
    virtual void applyScale(double scale) = 0;
};
