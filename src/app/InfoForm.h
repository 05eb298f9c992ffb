#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QAction;
class QLineEdit;
class QTableWidget;
class TCatalogueConnection;
struct TStatRow;

// "Database Information": the open catalogue's file, size and last update, and the count and
// sizes of its tablatures per family.
class TInfoForm : public QDialog {
    Q_OBJECT
public:
    explicit TInfoForm(QWidget* parent = nullptr);
    // Reads the catalogue at path through db and shows the window modally. A file that cannot be
    // measured throws std::filesystem::filesystem_error; database failures throw EDatabaseError.
    static void Execute(QWidget* parent, TCatalogueConnection& db, const std::string& path);
    void Fill(TCatalogueConnection& db, const std::string& path);

private:
    void SetStatistics(const std::vector<TStatRow>& rows);
    void ELastUpdateSubEditButton0Click();

    QLineEdit* EFileName;
    QLineEdit* EFileSize;
    QLineEdit* ELastUpdate;
    QAction* ShowErrorsAction;
    QTableWidget* StatGrid;
    TCatalogueConnection* Db = nullptr;
};
