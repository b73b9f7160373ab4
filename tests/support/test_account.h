// An account whose answers a test sets: administrator or not, and a login name.
#pragma once

#include <optional>
#include <string>

#include "store/account.h"

class TestAccount final : public Account {
  public:
    bool isAdministrator() override { return administrator; }
    std::optional<std::string> loginName() override { return login; }

    bool administrator = true;
    std::optional<std::string> login = "tester";
};
