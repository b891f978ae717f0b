#include "engine/ParameterMapping.h"

#include <gtest/gtest.h>

TEST (ParameterMapping, Smoke)
{
    ParameterMapping mapping;
    EXPECT_EQ (mapping.getParameterName (39), "ENABLED-SLOT4");
}
