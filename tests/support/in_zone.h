// A time zone for a test: set while the object lives, the zone before back after it.
#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

class InZone {
  public:
    explicit InZone(const char* zone) {
        const char* before = std::getenv("TZ");
        previous_ = before ? std::optional<std::string>(before) : std::nullopt;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~InZone() {
        if (previous_) {
            setenv("TZ", previous_->c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }
    InZone(const InZone&) = delete;
    InZone& operator=(const InZone&) = delete;

  private:
    std::optional<std::string> previous_;
};
