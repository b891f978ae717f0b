#pragma once

#include <string>
#include <vector>

/** Golden snapshots as regression guards. By default a snapshot is compared
    with tests/golden/<name>.txt; with TARVOLIN_BLESS=1 in the environment
    the file is (re)written instead, so a changed sound is a reviewed diff.
    Returns an empty string on success, else a description of the mismatch. */
std::string verifyGolden (const std::string& name, const std::vector<float>& samples, float tolerance = 1.0e-5f);
