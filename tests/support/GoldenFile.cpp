#include "GoldenFile.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iomanip>
#include <sstream>

#ifndef TARVOLIN_SOURCE_DIR
#error "TARVOLIN_SOURCE_DIR must name the source tree"
#endif

namespace
{
std::string goldenPath (const std::string& name)
{
    return std::string (TARVOLIN_SOURCE_DIR) + "/tests/golden/" + name + ".txt";
}

bool blessing()
{
    const char* flag = std::getenv ("TARVOLIN_BLESS");
    return flag != nullptr && std::string (flag) == "1";
}
} // namespace

std::string verifyGolden (const std::string& name, const std::vector<float>& samples, float tolerance)
{
    const auto path = goldenPath (name);

    if (blessing())
    {
        std::ofstream out (path);
        out << std::setprecision (9);
        for (auto x : samples)
            out << x << '\n';
        return out ? std::string() : "could not write " + path;
    }

    std::ifstream in (path);
    if (! in)
        return "no golden file " + path + " (run with TARVOLIN_BLESS=1 after checking the output)";

    std::vector<float> expected;
    for (float x; in >> x;)
        expected.push_back (x);

    if (expected.size() != samples.size())
        return "length " + std::to_string (samples.size()) + " differs from golden " + std::to_string (expected.size());

    for (size_t i = 0; i < samples.size(); ++i)
    {
        if (! (std::abs (samples[i] - expected[i]) <= tolerance))
        {
            std::ostringstream message;
            message << std::setprecision (9) << "sample " << i << " is " << samples[i] << ", golden " << expected[i];
            return message.str();
        }
    }

    return {};
}
