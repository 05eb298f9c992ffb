#include "catalogue/DatabaseError.h"

#include "settings/Translate.h"

void ThrowDatabaseError(const std::string& sqliteMessage) {
    throw EDatabaseError(TrD("SQLite", sqliteMessage));
}
