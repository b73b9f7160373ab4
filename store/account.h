// The account the program runs under: whether it may change machine-wide
// options, and the user's login name.
#pragma once

#include <optional>
#include <string>

class Account {
  public:
    virtual ~Account() = default;
    // Whether the process may change the machine-wide options; asked anew on every call.
    virtual bool isAdministrator() = 0;
    // The current user's login name, or nothing when it is unavailable.
    virtual std::optional<std::string> loginName() = 0;
};
