#pragma once
// A throw-away Ed25519 key that signs release feeds the way the release
// process does: the signature's 64 bytes in base64, over the exact bytes.

#include <openssl/evp.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace ostrel::testing {

class FeedSigner
{
public:
    FeedSigner()
        : m_key(EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519"), &EVP_PKEY_free)
    {
        if (!m_key) {
            throw std::runtime_error("no Ed25519 key");
        }
    }

    /// The public key's 32 bytes in base64, as a build names it.
    [[nodiscard]] std::string publicKey() const
    {
        unsigned char raw[32];
        std::size_t size = sizeof raw;
        EVP_PKEY_get_raw_public_key(m_key.get(), raw, &size);
        return base64(raw, size);
    }

    [[nodiscard]] std::string sign(std::string_view document) const
    {
        const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
        unsigned char signature[64];
        std::size_t size = sizeof signature;
        EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, m_key.get());
        EVP_DigestSign(context.get(),
                       signature,
                       &size,
                       reinterpret_cast<const unsigned char*>(document.data()),
                       document.size());
        return base64(signature, size) + "\n";
    }

private:
    [[nodiscard]] static std::string base64(const unsigned char* bytes, std::size_t size)
    {
        std::string text(4 * ((size + 2) / 3), '\0');
        EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()), bytes, static_cast<int>(size));
        return text;
    }

    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> m_key;
};

}  // namespace ostrel::testing
