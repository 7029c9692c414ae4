#pragma once

#include <optional>
#include <string>

#include "standin/server.h"

namespace arlo::standin {

// A stand-in with every service, and the program's HTTP clients pointed at it for the
// lifetime of this object: ARLO_HOST_MAP sends every host to it and ARLO_CA_FILE names its
// authority (written to a temporary file), so https is verified against it. The previous
// values come back on destruction. Create it before starting threads that make requests.
class StandinEnvironment final {
public:
    StandinEnvironment();
    ~StandinEnvironment();
    StandinEnvironment(const StandinEnvironment&) = delete;
    StandinEnvironment& operator=(const StandinEnvironment&) = delete;

    bool ok() const { return ok_; }
    Server& server() { return server_; }
    std::uint16_t port() const { return server_.port(); }
    // "http://127.0.0.1:port"
    std::string baseUrl() const;
    const std::string& caFile() const { return caFile_; }
    // The ARLO_HOST_MAP value in force: "*=127.0.0.1:port".
    std::string hostMap() const;

private:
    Server server_;
    bool ok_ = false;
    std::string caFile_;
    std::optional<std::string> previousHostMap_;
    std::optional<std::string> previousCaFile_;
};

// Writes `pem` to a new temporary file; its path, or empty on failure.
std::string writeTemporaryPem(const std::string& pem);

}  // namespace arlo::standin
