#include "readers/HttpsGet.h"

#include <array>
#include <cmath>
#include <memory>
#include <mutex>
#include <string_view>

#include <curl/curl.h>

namespace ostrel {
namespace {

struct EasyDeleter
{
    void operator()(CURL* handle) const
    {
        curl_easy_cleanup(handle);
    }
};

struct ListDeleter
{
    void operator()(curl_slist* list) const
    {
        curl_slist_free_all(list);
    }
};

/// Far above any reply the readers ask for; a body past it is no answer of theirs,
/// and reading it on would only cost memory.
constexpr std::size_t largestBody = std::size_t{1024} * 1024;

/// Where the body goes, and whether it grew past the limit.
struct BodySink
{
    std::string* body = nullptr;
    bool tooLarge = false;
};

std::size_t appendBody(char* data, std::size_t size, std::size_t count, void* target)
{
    auto& sink = *static_cast<BodySink*>(target);
    const std::size_t length = size * count;
    if (length > largestBody - sink.body->size()) {
        sink.tooLarge = true;
        return 0;  // anything but `length` ends the transfer
    }
    sink.body->append(data, length);
    return length;
}

/// The description of a transport failure: curl's detailed message when it gave one.
[[nodiscard]] std::string describe(CURLcode code, std::string_view detail)
{
    return !detail.empty() ? std::string(detail) : std::string(curl_easy_strerror(code));
}

}  // namespace

std::expected<HttpsReply, std::string> httpsGet(const HttpsRequest& request)
{
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    const std::unique_ptr<CURL, EasyDeleter> handle(curl_easy_init());
    if (!handle) {
        return std::unexpected("The HTTPS client could not be created");
    }
    std::unique_ptr<curl_slist, ListDeleter> headers;
    for (const auto& [name, value] : request.headers) {
        std::string line = name;
        line += ": ";
        line += value;
        curl_slist* extended = curl_slist_append(headers.get(), line.c_str());
        if (extended == nullptr) {
            return std::unexpected("The HTTPS client ran out of memory");
        }
        static_cast<void>(headers.release());
        headers.reset(extended);
    }
    std::array<char, CURL_ERROR_SIZE> errorText{};
    HttpsReply reply;
    CURL* easy = handle.get();
    curl_easy_setopt(easy, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers.get());
    // HTTPS only, also for a redirect target: the header fields may carry a secret.
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    if (request.caBundle) {
        curl_easy_setopt(easy, CURLOPT_CAINFO, request.caBundle->c_str());
    }
    // Readers run on worker threads; signals must not be used for time-outs.
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(std::ceil(request.timeout.count() * 1000)));
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorText.data());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, appendBody);
    BodySink sink{&reply.body};
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &sink);

    const CURLcode code = curl_easy_perform(easy);
    if (sink.tooLarge) {
        return std::unexpected("The reply was larger than 1 MiB; its transfer was stopped");
    }
    if (code != CURLE_OK) {
        return std::unexpected(describe(code, errorText.data()));
    }
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &reply.status);
    return reply;
}

}  // namespace ostrel
