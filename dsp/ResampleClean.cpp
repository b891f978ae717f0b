#include "ResampleClean.h"

#include <libresample.h>

void* resample_clean (void* handle, int highQuality, double minFactor, double maxFactor)
{
    if (handle != nullptr)
        resample_close (handle);

    return resample_open (highQuality, minFactor, maxFactor);
}
