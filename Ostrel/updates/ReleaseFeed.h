#pragma once
// The release feed: one small JSON document naming the newest release, and a
// detached Ed25519 signature over its exact bytes, published beside it with
// ".sig" appended to the address (the 64 signature bytes in base64). Nothing in
// the document is believed before the signature checks out against the public
// key the build was made with. Plain C++, no Qt: the checker runs it on a
// worker thread.
//
//   {"version": "1.4.0", "date": "2026-11-30",
//    "page": "https://example.org/ostrel/releases/1.4.0",
//    "notes": "…", "package": "https://example.org/ostrel_1.4.0_amd64.deb"}

#include <expected>
#include <optional>
#include <string>
#include <string_view>

#include "model/Date.h"

namespace ostrel {

struct ReleaseEntry
{
    std::string version;
    std::string date;
    /// The release page, always an https address.
    std::string page;
    std::optional<std::string> notes;
    std::optional<std::string> package;
};

struct ReleaseFeedAddress
{
    /// An https address; the signature is at the same address plus ".sig".
    std::string url;
    /// The Ed25519 public key: its 32 bytes in base64.
    std::string publicKey;
    /// A PEM file to trust instead of the system's store (tests use their own server).
    std::optional<std::string> caBundle;
    Seconds timeout{10};
};

namespace ReleaseFeed {

/// Whether `signatureBase64` is a valid Ed25519 signature of `document` under
/// `publicKeyBase64`; the reason otherwise, in one sentence.
[[nodiscard]] std::expected<void, std::string>
verify(std::string_view document, std::string_view signatureBase64, std::string_view publicKeyBase64);

/// The entry of a verified document; a document without a valid version, a
/// date or an https release page is refused.
[[nodiscard]] std::expected<ReleaseEntry, std::string> parse(std::string_view document);

/// Fetches the document and its signature, verifies, then parses. Blocks for
/// at most about twice the address's time-out.
[[nodiscard]] std::expected<ReleaseEntry, std::string> fetch(const ReleaseFeedAddress& address);

}  // namespace ReleaseFeed
}  // namespace ostrel
