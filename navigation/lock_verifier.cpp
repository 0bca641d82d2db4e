#include "navigation/lock_verifier.h"
#include <windows.h>
#include <bcrypt.h>
#include <charconv>
#include <memory>
#include "framework/guard.h"
#include "framework/owned.h"

namespace navigation {
namespace {

constexpr std::string_view kScheme = "pbkdf2-sha256";
constexpr char kSeparator = '$';
constexpr char kHexDigits[] = "0123456789abcdef";

bool IsBlank(char c) noexcept { return static_cast<unsigned char>(c) <= 32; }

bool Succeeded(NTSTATUS status) noexcept { return status >= 0; }

// The system's cryptography library, loaded when a lock password is first
// set or checked rather than with the program: few users ever set one, and
// under Wine the library brings the host's TLS libraries with it, about
// 2 MB of the working set.
class Cryptography {
public:
    static const Cryptography& Get() {
        static const Cryptography loaded;
        if (!loaded.Complete()) throw framework::Exception("The system's cryptography library cannot be loaded");
        return loaded;
    }
    decltype(&::BCryptOpenAlgorithmProvider) OpenAlgorithmProvider = nullptr;
    decltype(&::BCryptCloseAlgorithmProvider) CloseAlgorithmProvider = nullptr;
    decltype(&::BCryptDeriveKeyPBKDF2) DeriveKeyPBKDF2 = nullptr;
    decltype(&::BCryptGenRandom) GenRandom = nullptr;

private:
    Cryptography() : library_(::LoadLibraryA("bcrypt.dll")) {
        if (!library_) return;
        Entry(OpenAlgorithmProvider, "BCryptOpenAlgorithmProvider");
        Entry(CloseAlgorithmProvider, "BCryptCloseAlgorithmProvider");
        Entry(DeriveKeyPBKDF2, "BCryptDeriveKeyPBKDF2");
        Entry(GenRandom, "BCryptGenRandom");
    }
    template <typename Fn>
    void Entry(Fn& fn, const char* name) const { fn = framework::EntryPoint<Fn>(library_.get(), name); }
    bool Complete() const noexcept { return OpenAlgorithmProvider && CloseAlgorithmProvider && DeriveKeyPBKDF2 && GenRandom; }
    framework::Library library_;
};

struct AlgorithmCloser {
    void operator()(BCRYPT_ALG_HANDLE h) const noexcept { Cryptography::Get().CloseAlgorithmProvider(h, 0); }
};

template <size_t N>
std::string ToHex(const std::array<uint8_t, N>& bytes) {
    std::string text;
    text.reserve(N * 2);
    for (uint8_t b : bytes) {
        text += kHexDigits[b >> 4];
        text += kHexDigits[b & 0x0F];
    }
    return text;
}

int HexValue(char c) noexcept {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;   // upper case is not the stored form
}

template <size_t N>
bool FromHex(std::string_view text, std::array<uint8_t, N>& bytes) noexcept {
    if (text.size() != N * 2) return false;
    for (size_t i = 0; i < N; ++i) {
        const int high = HexValue(text[2 * i]), low = HexValue(text[2 * i + 1]);
        if (high < 0 || low < 0) return false;
        bytes[i] = static_cast<uint8_t>(high << 4 | low);
    }
    return true;
}

// The next field up to the separator (or the end), taken off the text.
std::string_view NextField(std::string_view& text) noexcept {
    const size_t end = text.find(kSeparator);
    std::string_view field = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    return field;
}

bool IsUpperHexDigest(std::string_view text) noexcept {
    if (text.size() != 16) return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
    return true;
}

}  // namespace

std::string_view TrimLockPassword(std::string_view s) noexcept {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::array<uint8_t, 32> DeriveLockKey(std::string_view password, const std::array<uint8_t, 16>& salt,
                                      uint32_t iterations) {
    const Cryptography& crypt = Cryptography::Get();
    BCRYPT_ALG_HANDLE opened = nullptr;
    if (!Succeeded(crypt.OpenAlgorithmProvider(&opened, BCRYPT_SHA256_ALGORITHM, nullptr,
                                                 BCRYPT_ALG_HANDLE_HMAC_FLAG)))
        throw framework::Exception("The system offers no HMAC-SHA256");
    std::unique_ptr<void, AlgorithmCloser> algorithm(opened);
    const std::string_view secret = TrimLockPassword(password);
    std::string bytes(secret);   // the call takes a writable buffer
    std::array<uint8_t, 32> key{};
    const NTSTATUS status = crypt.DeriveKeyPBKDF2(
        opened, reinterpret_cast<PUCHAR>(bytes.data()), static_cast<ULONG>(bytes.size()),
        const_cast<PUCHAR>(salt.data()), static_cast<ULONG>(salt.size()), iterations, key.data(),
        static_cast<ULONG>(key.size()), 0);
    ::SecureZeroMemory(bytes.data(), bytes.size());
    if (!Succeeded(status)) throw framework::Exception("The password's key could not be derived");
    return key;
}

TLockVerifier MakeLockVerifier(std::string_view password, uint32_t iterations) {
    TLockVerifier v;
    v.Iterations = iterations;
    if (!Succeeded(Cryptography::Get().GenRandom(nullptr, v.Salt.data(), static_cast<ULONG>(v.Salt.size()),
                                     BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
        throw framework::Exception("The system gave no random salt");
    v.Key = DeriveLockKey(password, v.Salt, iterations);
    return v;
}

std::string FormatLockVerifier(const TLockVerifier& v) {
    std::string text(kScheme);
    for (const std::string& field : {std::to_string(v.Iterations), ToHex(v.Salt), ToHex(v.Key), v.Digest}) {
        text += kSeparator;
        text += field;
    }
    return text;
}

std::optional<TLockVerifier> ParseLockVerifier(std::string_view text) {
    if (NextField(text) != kScheme) return std::nullopt;
    TLockVerifier v;
    const std::string_view count = NextField(text);
    const auto [end, error] = std::from_chars(count.data(), count.data() + count.size(), v.Iterations);
    if (error != std::errc{} || end != count.data() + count.size() || count.empty() || count.front() == '0' ||
        v.Iterations < kMinVerifierIterations || v.Iterations > kMaxVerifierIterations)
        return std::nullopt;
    if (!FromHex(NextField(text), v.Salt) || !FromHex(NextField(text), v.Key)) return std::nullopt;
    // The digest is the last field: nothing may follow it.
    if (text.find(kSeparator) != std::string_view::npos) return std::nullopt;
    v.Digest = std::string(text);
    if (!IsUpperHexDigest(v.Digest)) return std::nullopt;
    return v;
}

bool VerifierAccepts(const TLockVerifier& v, std::string_view password) {
    const std::array<uint8_t, 32> key = DeriveLockKey(password, v.Salt, v.Iterations);
    uint8_t difference = 0;
    for (size_t i = 0; i < key.size(); ++i) difference |= static_cast<uint8_t>(key[i] ^ v.Key[i]);
    return difference == 0;
}

}  // namespace navigation
