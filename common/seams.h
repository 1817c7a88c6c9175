// Test seams for branches that the test machine cannot produce (a 32-bit process on 64-bit
// Windows, a fail-safe boot). Only builds made with VARDEX_TEST_SEAMS read them; elsewhere the
// platform's answer always stands.
#pragma once

// When the seam NAME is set (environment variable VARDEX_SEAM_<NAME> holding 0 or 1), stores its
// value in *value and returns true; otherwise leaves *value alone and returns false.
bool ReadTestSeam(const wchar_t* name, bool* value);
