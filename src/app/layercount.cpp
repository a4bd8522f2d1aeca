#include "app/layercount.h"

#include <QtGlobal>

LayerCountChoice chooseLayerCount(const LayerCountInputs &in)
{
    LayerCountChoice choice{"startupDefault", in.startup};
    if (in.forced >= 0)
        choice = {"forced", in.forced};
    else if (in.deviceValid)
        choice = {"device", in.deviceLayers};
    else if (in.legacy)
        choice = {"legacy", in.legacyLayers};
    else if (in.lastConnected >= 1)
        choice = {"lastConnected", in.lastConnected};
    choice.count = choice.count < 1 ? 0 : qMin(choice.count, 3);
    return choice;
}
