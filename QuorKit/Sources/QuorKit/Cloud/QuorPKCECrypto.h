#pragma once

#include <QString>

// The proof key of a browser sign-in (S256 code challenge method).
namespace QuorPKCECrypto {

// `byteCount` bytes from the kernel's secure generator as unpadded base64url text (32 bytes give 43
// characters). Throws QuorCreditsError::signInFailed when no secure random bytes can be had; there is
// no weaker fallback.
QString randomBase64URL(int byteCount);

// Unpadded base64url text of the SHA-256 digest of the text's UTF-8 bytes.
QString sha256Base64URL(const QString& text);

} // namespace QuorPKCECrypto
