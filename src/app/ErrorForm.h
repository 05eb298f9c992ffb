#pragma once

#include <QDialog>

#include <vector>

class QLabel;
class QTableWidget;
class TCatalogueConnection;
struct TErrorEntry;

// "Errors": the files the last update could not read, with the reason.
class TErrorForm : public QDialog {
    Q_OBJECT
public:
    explicit TErrorForm(QWidget* parent = nullptr);
    // Reads the catalogue's error list and shows it modally. Database failures throw EDatabaseError.
    static void Execute(QWidget* parent, TCatalogueConnection& db);
    void SetErrors(const std::vector<TErrorEntry>& errors);

private:
    QLabel* LMessage;
    QTableWidget* ErrorsGrid;
};
