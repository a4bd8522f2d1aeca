#pragma once

// How many layer buttons the window offers, from what it knows, in this order: a count
// forced by the settings, the connected keypad's (current or legacy firmware), the last
// keypad's after it left, the start-up default. Never more than three.
struct LayerCountInputs
{
    int forced = -1; // -1: none
    bool deviceValid = false;
    int deviceLayers = 0;
    bool legacy = false;
    int legacyLayers = 0;
    int lastConnected = 0; // 0: no keypad was read yet
    int startup = 3;
};

struct LayerCountChoice
{
    const char *source; // for the log: "forced", "device", "legacy", "lastConnected", "startupDefault"
    int count;          // 0..3
};

LayerCountChoice chooseLayerCount(const LayerCountInputs &in);
