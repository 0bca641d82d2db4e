#pragma once
// The salted, slow verifier of the desktop lock password. The stored digest
// "pwdlocal" keeps its format because other installations read it, but it
// adds the terms of 4-byte groups, so many passwords share each digest. The
// verifier, stored beside it, is what decides whether a typed password is
// right: PBKDF2 with HMAC-SHA256 through the system's CNG, over a random
// salt of its own.
//
// Stored text (a string value):
//   pbkdf2-sha256$<iterations>$<salt, 32 hex digits>$<key, 64 hex digits>$<LockDigest>
// The LockDigest is the "pwdlocal" the verifier was made beside: a
// "pwdlocal" that no longer matches it was set by another installation, and
// the verifier then has no say.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace navigation {

inline constexpr std::string_view kVerifierValue = "pwdverifier";
// Work factor of a new verifier: a right password costs about 25 ms on
// Windows and 0.4 s under Wine; stored per verifier, so it can grow.
inline constexpr uint32_t kVerifierIterations = 50000;
// A stored count outside these is damage, never a reason to spin for hours.
inline constexpr uint32_t kMinVerifierIterations = 1000;
inline constexpr uint32_t kMaxVerifierIterations = 5000000;

struct TLockVerifier {
    uint32_t Iterations = kVerifierIterations;
    std::array<uint8_t, 16> Salt{};
    std::array<uint8_t, 32> Key{};
    std::string Digest;   // the LockDigest stored beside it
};

// Blanks and control characters around a password do not count, as in its
// digest.
std::string_view TrimLockPassword(std::string_view password) noexcept;

// PBKDF2-HMAC-SHA256 of the trimmed password. Throws framework::Exception
// when the system's key derivation fails.
std::array<uint8_t, 32> DeriveLockKey(std::string_view password, const std::array<uint8_t, 16>& salt,
                                      uint32_t iterations);

// A verifier for the password with a fresh random salt.
TLockVerifier MakeLockVerifier(std::string_view password, uint32_t iterations = kVerifierIterations);
std::string FormatLockVerifier(const TLockVerifier& v);
// None for any text that is not exactly the stored form.
std::optional<TLockVerifier> ParseLockVerifier(std::string_view text);
// The password derives the verifier's key (compared in constant time).
bool VerifierAccepts(const TLockVerifier& v, std::string_view password);

}  // namespace navigation
