#pragma once
// One HTTPS GET through libcurl, as the readers need it: certificates checked,
// redirects never followed (so header fields such as a bearer token reach only
// the address asked for), no cookies, no cache, a hard time-out.

#include <expected>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/Date.h"

namespace ostrel {

struct HttpsRequest
{
    std::string url;                                           ///< must be https://
    std::vector<std::pair<std::string, std::string>> headers;  ///< name, value
    Seconds timeout{15};
    std::optional<std::string> caBundle;  ///< a PEM file to trust instead of the system's store
};

struct HttpsReply
{
    // NOLINTNEXTLINE(google-runtime-int): curl writes the status through a long*
    long status = 0;  ///< 0 when the reply was not HTTP
    std::string body;
};

/// The reply, whatever its status; the transport failure's description otherwise
/// (no connection, time-out, TLS, a body larger than 1 MiB, whose transfer is
/// then stopped). The description never holds header values.
[[nodiscard]] std::expected<HttpsReply, std::string> httpsGet(const HttpsRequest& request);

}  // namespace ostrel
