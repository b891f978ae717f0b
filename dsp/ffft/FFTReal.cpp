#include "FFTReal.h"

template class ffft::FFTReal<float>;
