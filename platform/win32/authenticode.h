// Windows' verdict on a file's Authenticode signature.
#pragma once

#include <string>
#include <string_view>

namespace vandrel {

// Empty when Windows accepts the file's embedded signature (generic verify
// action; no revocation check, since the machine may be offline); else why
// not. A file without a signature is not accepted either. With a publisher
// (the SHA-256 of the signing certificate, 64 hex digits), a signature by any
// other certificate is not accepted.
std::string SignatureProblem(const std::string& path, std::string_view publisher_sha256 = {});

}  // namespace vandrel
