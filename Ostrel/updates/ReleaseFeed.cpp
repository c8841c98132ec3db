#include "updates/ReleaseFeed.h"

#include <openssl/evp.h>

#include <memory>

#include <nlohmann/json.hpp>

#include "model/JsonReading.h"
#include "model/JsonText.h"
#include "readers/HttpsGet.h"
#include "updates/ReleaseVersion.h"

namespace ostrel::ReleaseFeed {
namespace {

constexpr std::size_t publicKeySize = 32;
constexpr std::size_t signatureSize = 64;

/// OpenSSL takes bytes as unsigned char: the text's own bytes, seen so.
[[nodiscard]] const unsigned char* bytesOf(std::string_view text)
{
    return reinterpret_cast<const unsigned char*>(text.data());  // NOLINT(cppcoreguidelines-pro-type-reinterpret-cast)
}

[[nodiscard]] unsigned char* bytesOf(std::string& text)
{
    return reinterpret_cast<unsigned char*>(text.data());  // NOLINT(cppcoreguidelines-pro-type-reinterpret-cast)
}

/// The bytes of standard base64 text, surrounding white space ignored; absent
/// for anything else (a wrong character, a bad length, misplaced padding).
[[nodiscard]] std::optional<std::string> decodeBase64(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    text = text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
    if (text.size() % 4 != 0) {
        return std::nullopt;
    }
    std::string bytes(text.size() / 4 * 3, '\0');
    const int written = EVP_DecodeBlock(bytesOf(bytes), bytesOf(text), static_cast<int>(text.size()));
    if (written < 0) {
        return std::nullopt;
    }
    // EVP_DecodeBlock keeps the zero bytes that padding stands for; drop them.
    std::size_t padding = 0;
    for (auto it = text.rbegin(); it != text.rend() && *it == '=' && padding < 2; ++it) {
        ++padding;
    }
    bytes.resize(static_cast<std::size_t>(written) - padding);
    return bytes;
}

[[nodiscard]] bool isHttps(std::string_view address)
{
    return address.starts_with("https://") && address.size() > 8;
}

[[nodiscard]] std::expected<std::string, std::string>
get(const ReleaseFeedAddress& address, const std::string& url, std::string_view what)
{
    HttpsRequest request;
    request.url = url;
    request.timeout = address.timeout;
    request.caBundle = address.caBundle;
    auto reply = httpsGet(request);
    if (!reply) {
        return std::unexpected("The release feed could not be reached: " + reply.error());
    }
    if (reply->status != 200) {
        return std::unexpected("The release feed's " + std::string(what) + " answered HTTP "
                               + std::to_string(reply->status) + ".");
    }
    return std::move(reply->body);
}

}  // namespace

std::expected<void, std::string>
verify(std::string_view document, std::string_view signatureBase64, std::string_view publicKeyBase64)
{
    const auto key = decodeBase64(publicKeyBase64);
    if (!key || key->size() != publicKeySize) {
        return std::unexpected("This build's release-feed key is not a valid Ed25519 public key.");
    }
    const auto signature = decodeBase64(signatureBase64);
    if (!signature || signature->size() != signatureSize) {
        return std::unexpected("The release feed's signature is malformed.");
    }
    const std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> publicKey(
        EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, bytesOf(*key), key->size()),
        &EVP_PKEY_free);
    const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    if (!publicKey || !context
        || EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, publicKey.get()) != 1) {
        return std::unexpected("This build's release-feed key is not a valid Ed25519 public key.");
    }
    // Ed25519 signs the message itself, in one pass.
    const int verified =
        EVP_DigestVerify(context.get(), bytesOf(*signature), signature->size(), bytesOf(document), document.size());
    if (verified != 1) {
        return std::unexpected("The release feed's signature does not match its contents.");
    }
    return {};
}

std::expected<ReleaseEntry, std::string> parse(std::string_view document)
{
    const nlohmann::json root = ostrel::JsonText::parse(document);
    if (root.is_discarded() || !root.is_object()) {
        return std::unexpected("The release feed is not a JSON object.");
    }
    ReleaseEntry entry;
    const auto version = JsonReading::string(JsonReading::member(&root, "version"));
    if (!version || !ReleaseVersion::parse(*version)) {
        return std::unexpected("The release feed names no valid version.");
    }
    entry.version = *version;
    const auto date = JsonReading::string(JsonReading::member(&root, "date"));
    if (!date || date->empty()) {
        return std::unexpected("The release feed names no release date.");
    }
    entry.date = *date;
    const auto page = JsonReading::string(JsonReading::member(&root, "page"));
    if (!page || !isHttps(*page)) {
        return std::unexpected("The release feed names no https release page.");
    }
    entry.page = *page;
    entry.notes = JsonReading::string(JsonReading::member(&root, "notes"));
    if (auto package = JsonReading::string(JsonReading::member(&root, "package")); package && isHttps(*package)) {
        entry.package = std::move(package);
    }
    return entry;
}

std::expected<ReleaseEntry, std::string> fetch(const ReleaseFeedAddress& address)
{
    if (!isHttps(address.url)) {
        return std::unexpected(std::string("The release feed's address is not an https address."));
    }
    auto document = get(address, address.url, "document");
    if (!document) {
        return std::unexpected(document.error());
    }
    const auto signature = get(address, address.url + ".sig", "signature");
    if (!signature) {
        return std::unexpected(signature.error());
    }
    if (auto verified = verify(*document, *signature, address.publicKey); !verified) {
        return std::unexpected(verified.error());
    }
    return parse(*document);
}

}  // namespace ostrel::ReleaseFeed
