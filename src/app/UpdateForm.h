#pragma once

#include "app/ScanSetupForm.h"

#include <optional>

class TCatalogueConnection;

// "Update Database": the root folders and families of a rescan of the open catalogue.
class TUpdateForm : public TScanSetupForm {
    Q_OBJECT
public:
    explicit TUpdateForm(QWidget* parent = nullptr);
    // Fills the folders from the catalogue's table directories (the first 20) and shows the window
    // modally; the request on OK, nothing on Cancel. Database failures throw EDatabaseError.
    std::optional<TScanRequest> Execute(TCatalogueConnection& db);
};

// The first max folders of the catalogue's table directories, in the order SQLite returns them.
QStringList ReadDirectories(TCatalogueConnection& db, int max);
