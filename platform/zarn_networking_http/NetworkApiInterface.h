#pragma once

#include "NetworkRecords.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace zarn::networking {

class ApiTransport;

// The program's client of the show server. The base address is "http://host:port" or
// "file:///path/to/server-root" (served in-process by the same request handler). Every
// call blocks until the answer, a failure or the timeout, and never throws for a network
// or server problem: the result says what happened. One object per thread.
class NetworkApiInterface {
public:
    static constexpr int API_SUCCESS = 0;
    static constexpr int API_BAD_REQUEST = 1;       // 400
    static constexpr int API_UNAUTHORIZED = 2;      // 401, 403
    static constexpr int API_NOT_FOUND = 3;         // 404
    static constexpr int API_SERVER_ERROR = 4;      // any other HTTP status
    static constexpr int API_NETWORK_ERROR = 5;     // no answer: refused, unreachable, cut off
    static constexpr int API_TIMEOUT = 6;           // no progress within the timeout
    static constexpr int API_MALFORMED_RESPONSE = 7; // an answer we cannot use, or unsafe names
    static constexpr int API_NO_CREDENTIAL = 8;     // SetCredential was not called

    template <typename T>
    struct RequestResult {
        int status = API_NETWORK_ERROR;
        std::optional<T> data;
        std::string message; // for the user; empty only when the transport gave no reason
    };

    explicit NetworkApiInterface(std::string apiBaseUrl);
    ~NetworkApiInterface();
    NetworkApiInterface(const NetworkApiInterface&) = delete;
    NetworkApiInterface& operator=(const NetworkApiInterface&) = delete;

    // The show's authentication hash and the product number go with every request.
    void SetCredential(const std::string& authHash, int productNumber);
    void SetTimeout(std::chrono::milliseconds timeout);

    const std::string& BaseUrl() const { return baseUrl_; }

    RequestResult<ShowFileList> GetAllShowFiles();
    RequestResult<ChangelogInfoList> GetAvailableLogs();
    RequestResult<ChangelogInfo> GetLatestLog();
    RequestResult<ChangelogFullInfo> GetChangelogLinkByVersion(uint8_t major, uint8_t minor);

    // "API_SUCCESS", "API_UNAUTHORIZED", ...
    static std::string StatusName(int status);

    // The base address last set up for a credential in this process; UploadChangelog,
    // which is given only the credential, sends to it.
    static std::optional<std::string> BaseUrlForCredential(const std::string& authHash);

private:
    std::string baseUrl_;
    std::string authHash_;
    int productNumber_ = 0;
    bool hasCredential_ = false;
    std::unique_ptr<ApiTransport> transport_;
};

} // namespace zarn::networking
