// Windows' verdict on a file's Authenticode signature.
#pragma once

#include <string>

namespace vandrel {

// Empty when Windows accepts the file's embedded signature (generic verify
// action; no revocation check, since the machine may be offline); else why
// not. A file without a signature is not accepted either.
std::string SignatureProblem(const std::string& path);

}  // namespace vandrel
