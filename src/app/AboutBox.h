#pragma once

#include <QDialog>
#include <QString>

#include <vector>

class QListWidget;
class QListWidgetItem;

// One third-party library the program is built with.
struct TTechnology {
    QString Name; // with its version
    QString HomePage;
};

// The libraries this build uses, with the versions in use where the library tells them.
std::vector<TTechnology> Technologies();

// "About Quiravel": the program's name and version and the libraries it is built with; a double
// click on one opens its home page.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
    static void Execute(QWidget* parent);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void TechListBoxDblClick(QListWidgetItem* item);

    QListWidget* TechListBox;
    std::vector<QString> Addresses;
};
