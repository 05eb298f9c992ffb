#include "app/ScanSetupForm.h"

#include "app/BalloonHint.h"
#include "app/FormText.h"
#include "readers/TabFormats.h"
#include "settings/Translate.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int RowHeight = 20;
constexpr int NumberWidth = 20;
constexpr int FolderWidth = 320;
constexpr int ButtonWidth = 20;
constexpr int VisibleRows = 8;

// Folder cells edited in place: the editor leaves room for the row's folder button and hands
// each keystroke to the cell, so OK always reads what is typed.
class TFolderCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            connect(line, &QLineEdit::textEdited, this,
                    [this, line] { emit const_cast<TFolderCellDelegate*>(this)->commitData(line); });
        return editor;
    }
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex&) const override {
        editor->setGeometry(option.rect.adjusted(0, 0, -ButtonWidth, 0));
    }
};

} // namespace

TScanSetupForm::TScanSetupForm(QWidget* parent, const QString& caption) : QDialog(parent) {
    setWindowTitle(caption);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QTr("Directories to scan:"), this);
    layout->addWidget(label);
    layout->addWidget(CreateDirsGrid());
    label->setBuddy(DirsGrid);
    layout->addWidget(CreateFormatGroup());
    Fields = new QVBoxLayout;
    layout->addLayout(Fields);
    Buttons = new QHBoxLayout;
    Buttons->addStretch();
    BtnOK = new QPushButton(QTr("OK"), this);
    BtnOK->setObjectName("BtnOK");
    BtnOK->setDefault(true);
    BtnCancel = new QPushButton(QTr("Cancel"), this);
    BtnCancel->setObjectName("BtnCancel");
    Buttons->addWidget(BtnOK);
    Buttons->addWidget(BtnCancel);
    layout->addLayout(Buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(BtnOK, &QPushButton::clicked, this, &TScanSetupForm::BtnOKClick);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

QWidget* TScanSetupForm::CreateDirsGrid() {
    DirsGrid = new QTableWidget(DirRows, 1, this);
    DirsGrid->setObjectName("DirsGrid");
    DirsGrid->setItemDelegate(new TFolderCellDelegate(DirsGrid));
    DirsGrid->horizontalHeader()->hide();
    DirsGrid->setColumnWidth(0, FolderWidth);
    DirsGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    DirsGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    DirsGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    DirsGrid->setEditTriggers(QAbstractItemView::AllEditTriggers);
    DirsGrid->setTabKeyNavigation(false);
    // The row numbers are the grid's fixed column.
    QHeaderView* numbers = DirsGrid->verticalHeader();
    numbers->setMinimumSectionSize(0);
    numbers->setSectionResizeMode(QHeaderView::Fixed);
    numbers->setDefaultSectionSize(RowHeight);
    numbers->setFixedWidth(NumberWidth);
    numbers->setDefaultAlignment(Qt::AlignCenter);
    numbers->setStyleSheet("QHeaderView::section { background-color: rgb(238, 238, 238); border: none; "
                           "border-right: 1px solid #c0c0c0; border-bottom: 1px solid #c0c0c0; }");
    for (int row = 0; row < DirRows; ++row) {
        DirsGrid->setItem(row, 0, new QTableWidgetItem);
        auto* button = new QToolButton(DirsGrid->viewport());
        button->setText("...");
        button->setToolTip(QTr("Select directory"));
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, this, [this, row] { DirButtonClick(row); });
        DirButtons[row] = button;
    }
    const int frame = 2 * DirsGrid->frameWidth();
    DirsGrid->setFixedSize(NumberWidth + FolderWidth + DirsGrid->verticalScrollBar()->sizeHint().width() +
                               frame,
                           VisibleRows * RowHeight + frame);
    connect(DirsGrid->verticalScrollBar(), &QScrollBar::valueChanged, this, &TScanSetupForm::PlaceDirButtons);
    DirsGrid->viewport()->installEventFilter(this);
    return DirsGrid;
}

QWidget* TScanSetupForm::CreateFormatGroup() {
    FormatGroupBox = new QGroupBox(QTr("Tablature formats"), this);
    FormatGroupBox->setObjectName("FormatGroupBox");
    auto* layout = new QVBoxLayout(FormatGroupBox);
    const auto add = [&](QCheckBox*& box, const char* name, const std::string& caption) {
        box = new QCheckBox(QStr(caption), FormatGroupBox);
        box->setObjectName(name);
        box->setChecked(true);
        layout->addWidget(box);
    };
    add(GPCheckBox, "GPCheckBox", Tr("Guitar Pro (.gtp .gp3 .gp4 .gp5 .gpx)"));
    add(PTBCheckBox, "PTBCheckBox", Tr("Power Tab (.ptb)"));
    add(TGCheckBox, "TGCheckBox", Tr("TuxGuitar (.tg)"));
    add(TEFCheckBox, "TEFCheckBox", Tr("TablEdit (.tef)"));
    return FormatGroupBox;
}

QStringList TScanSetupForm::Folders() const {
    QStringList folders;
    for (int row = 0; row < DirRows; ++row)
        folders << DirsGrid->item(row, 0)->text();
    return folders;
}

void TScanSetupForm::SetFolders(const QStringList& folders) {
    for (int row = 0; row < DirRows; ++row)
        DirsGrid->item(row, 0)->setText(row < folders.size() ? folders[row] : QString());
}

void TScanSetupForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    PlaceDirButtons();
}

// Each row's button sits at the right end of its folder cell while the row is in view.
void TScanSetupForm::PlaceDirButtons() {
    const QRect view = DirsGrid->viewport()->rect();
    for (int row = 0; row < DirRows; ++row) {
        const QRect cell = DirsGrid->visualRect(DirsGrid->model()->index(row, 0));
        QToolButton* button = DirButtons[row];
        button->setGeometry(cell.right() + 1 - ButtonWidth, cell.top(), ButtonWidth, cell.height());
        button->setVisible(view.intersects(cell));
        button->raise();
    }
}

bool TScanSetupForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == DirsGrid->viewport() && event->type() == QEvent::Resize)
        PlaceDirButtons();
    return QDialog::eventFilter(watched, event);
}

void TScanSetupForm::DirButtonClick(int row) {
    QTableWidgetItem* cell = DirsGrid->item(row, 0);
    const QString folder = QFileDialog::getExistingDirectory(
        this, QTr("Select folder where your tablatures stored"), TrimBlanks(cell->text()));
    if (!folder.isEmpty())
        cell->setText(folder);
}

uint8_t TScanSetupForm::TabTypes() const {
    return (GPCheckBox->isChecked() ? ttGuitarPro : 0) | (PTBCheckBox->isChecked() ? ttPowerTab : 0) |
           (TGCheckBox->isChecked() ? ttTuxGuitar : 0) | (TEFCheckBox->isChecked() ? ttTablEdit : 0);
}

void TScanSetupForm::Complain(QWidget* widget, const QString& message) {
    QApplication::beep();
    TBalloonHint::ShowAt(widget, QTr("Error"), message, TBalloonIcon::Warning, 5000);
}

void TScanSetupForm::BtnOKClick() {
    TScanRequest request;
    request.TabTypes = TabTypes();
    for (const QString& text : Folders()) {
        const QString folder = TrimBlanks(text);
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            request.Folders.push_back(folder.toStdString());
    }
    if (request.Folders.empty())
        return Complain(DirsGrid, QTr("Select at least one directory!"));
    if (request.TabTypes == 0)
        return Complain(FormatGroupBox, QTr("Select at least one tablature type!"));
    if (!AcceptRequest())
        return;
    TBalloonHint::CloseCurrent();
    LastRequest = std::move(request);
    accept();
}
