// The configuration dialog's seam for the login name that its caption shows.
#pragma once

#include <optional>
#include <string>

// Answers the current user's login name, or nothing when it is unavailable.
using LoginNameQuery = std::optional<std::string> (*)();

// Replaces the query (nullptr: the platform's GetUserNameA); returns the one before.
LoginNameQuery setLoginNameQuery(LoginNameQuery query);
