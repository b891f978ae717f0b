#pragma once

/** Returns a libresample converter in the state resample_open gives it: no
    input history, no pending output, time back at the filter's start. The
    packaged library keeps its handle's layout private, so the clean state
    is reached by closing the handle and opening a new one with the same
    quality and ratio bounds; a conversion after it is bit-identical to one
    on a freshly opened handle. Allocates: loader thread only. */
void* resample_clean (void* handle, int highQuality, double minFactor, double maxFactor);
