#pragma once

#include "readers/TabInfo.h"

#include <string>

// A failure of the catalogue connection that the windows report to the user. The message is
// already translated: SQLite's own messages in the "SQLite" text domain, ours in the default one.
class EDatabaseError : public EQuiravelError {
public:
    using EQuiravelError::EQuiravelError;
};

// The catalogue's version row is missing or holds no whole number, so its schema is unknown.
class ECatalogueVersionError : public EDatabaseError {
public:
    using EDatabaseError::EDatabaseError;
};

// Throws EDatabaseError with SQLite's message translated in the "SQLite" domain.
[[noreturn]] void ThrowDatabaseError(const std::string& sqliteMessage);
