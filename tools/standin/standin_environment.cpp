#include "standin/standin_environment.h"

#include <unistd.h>

#include <cstdlib>
#include <string>

#include "standin/services.h"

namespace arlo::standin {
namespace {

std::optional<std::string> currentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

void restore(const char* name, const std::optional<std::string>& value) {
    if (value) {
        ::setenv(name, value->c_str(), 1);
    } else {
        ::unsetenv(name);
    }
}

}  // namespace

std::string writeTemporaryPem(const std::string& pem) {
    const char* dir = std::getenv("TMPDIR");
    std::string path = std::string(dir && *dir ? dir : "/tmp") + "/arlo-standin-ca-XXXXXX";
    const int fd = ::mkstemp(path.data());
    if (fd < 0) {
        return {};
    }
    const bool written = ::write(fd, pem.data(), pem.size()) == static_cast<ssize_t>(pem.size());
    ::close(fd);
    if (!written) {
        ::unlink(path.c_str());
        return {};
    }
    return path;
}

StandinEnvironment::StandinEnvironment() {
    addAllServices(server_);
    if (!server_.start()) {
        return;
    }
    caFile_ = writeTemporaryPem(server_.authorityPem());
    if (caFile_.empty()) {
        return;
    }
    previousHostMap_ = currentValue("ARLO_HOST_MAP");
    previousCaFile_ = currentValue("ARLO_CA_FILE");
    ::setenv("ARLO_HOST_MAP", hostMap().c_str(), 1);
    ::setenv("ARLO_CA_FILE", caFile_.c_str(), 1);
    ok_ = true;
}

StandinEnvironment::~StandinEnvironment() {
    if (ok_) {
        restore("ARLO_HOST_MAP", previousHostMap_);
        restore("ARLO_CA_FILE", previousCaFile_);
    }
    server_.stop();
    if (!caFile_.empty()) {
        ::unlink(caFile_.c_str());
    }
}

std::string StandinEnvironment::baseUrl() const {
    return "http://127.0.0.1:" + std::to_string(server_.port());
}

std::string StandinEnvironment::hostMap() const {
    return "*=127.0.0.1:" + std::to_string(server_.port());
}

}  // namespace arlo::standin
