#include "../catalogue/OldCatalogues.h"
#include "GuiTestSupport.h"
#include "app/BalloonHint.h"
#include "app/NewDBForm.h"
#include "app/UpdateForm.h"
#include "catalogue/CatalogueConnection.h"
#include "readers/TabFormats.h"
#include "settings/Settings.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QToolButton>

namespace {

void Click(QWidget* form, const char* button) {
    Child<QPushButton>(*form, button)->click();
}

void Tick(QWidget* form, std::initializer_list<std::pair<const char*, bool>> boxes) {
    for (const auto& [name, on] : boxes)
        Child<QCheckBox>(*form, name)->setChecked(on);
}

struct TBalloonSeen {
    QString Title, Text;
    QWidget* Anchor = nullptr;
    TBalloonIcon Icon = TBalloonIcon::None;
    int Timeout = 0;
};

TBalloonSeen Balloon() {
    TBalloonHint* b = TBalloonHint::Current();
    return b ? TBalloonSeen{b->Title(), b->Text(), b->Anchor(), b->Icon(), b->Timeout()} : TBalloonSeen{};
}

// Answers the next message box with answer and keeps its text.
void Answer(QMessageBox::StandardButton answer, QString* text) {
    WhenModal<QMessageBox>([answer, text](QMessageBox& box) {
        *text = box.text();
        box.button(answer)->click();
    });
}

TEST(ScanSetupForms, OkChecksFoldersThenFormatsThenTheFileName) {
    TTempDir dir;
    const QString first = QString::fromStdString(dir / "first"),
                  second = QString::fromStdString(dir / "second");
    QDir().mkpath(first);
    QDir().mkpath(second);
    TNewDBForm form;
    std::vector<TBalloonSeen> balloons;
    WhenModal<TNewDBForm>([&](TNewDBForm& f) {
        auto* grid = Child<QTableWidget>(f, "DirsGrid");
        auto* path = Child<QLineEdit>(f, "DatabaseEditbox");
        f.SetFolders({"   ", QString::fromStdString(dir / "missing"), "\t"});
        Tick(&f,
             {{"GPCheckBox", false}, {"PTBCheckBox", false}, {"TGCheckBox", false}, {"TEFCheckBox", false}});
        path->setText(" ");
        Click(&f, "BtnOK");
        balloons.push_back(Balloon());
        grid->item(3, 0)->setText(" " + first + " \t");
        grid->item(19, 0)->setText(second);
        Click(&f, "BtnOK");
        balloons.push_back(Balloon());
        Tick(&f, {{"PTBCheckBox", true}, {"TEFCheckBox", true}});
        Click(&f, "BtnOK");
        balloons.push_back(Balloon());
        path->setText(QString::fromStdString(dir / "new.db3"));
        Click(&f, "BtnOK");
    });
    ASSERT_EQ(form.Execute(), QDialog::Accepted);
    const struct {
        QString Text;
        const char* Anchor;
    } expected[] = {{"Select at least one directory!", "DirsGrid"},
                    {"Select at least one tablature type!", "FormatGroupBox"},
                    {"Select database filename!", "DatabaseEditbox"}};
    ASSERT_EQ(balloons.size(), std::size(expected));
    for (size_t i = 0; i < balloons.size(); ++i) {
        EXPECT_EQ(balloons[i].Text, expected[i].Text);
        EXPECT_EQ(balloons[i].Anchor ? balloons[i].Anchor->objectName() : "", expected[i].Anchor);
        EXPECT_EQ(balloons[i].Title, "Error");
        EXPECT_EQ(balloons[i].Icon, TBalloonIcon::Warning);
        EXPECT_EQ(balloons[i].Timeout, 5000);
    }
    EXPECT_EQ(form.Request().Folders, (std::vector<std::string>{first.toStdString(), second.toStdString()}));
    EXPECT_EQ(form.Request().TabTypes, ttPowerTab | ttTablEdit);
    EXPECT_EQ(form.DatabasePath(), dir / "new.db3");
    EXPECT_EQ(TBalloonHint::Current(), nullptr);
}

// An existing file named in the box is only overwritten after a question, unless the save
// dialog, which asks by itself, chose it and nothing was typed since.
TEST(ScanSetupForms, OverwriteIsAskedOnlyForATypedPath) {
    TTempDir dir;
    const QString existing = QString::fromStdString(dir / "old.db3");
    WriteFile(existing.toStdString(), "catalogue");
    struct TCase {
        const char* Name;
        bool UseDialog, TypeAfterwards;
        bool Asked;
    } cases[] = {{"typed", false, false, true},
                 {"chosen", true, false, false},
                 {"chosen then typed", true, true, true}};
    TNewDBForm form;
    form.SetFolders({QString::fromStdString(dir.Path)});
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        QString question;
        WhenModal<TNewDBForm>([&](TNewDBForm& f) {
            auto* path = Child<QLineEdit>(f, "DatabaseEditbox");
            if (c.UseDialog) {
                WhenModal<QFileDialog>([&](QFileDialog& d) {
                    d.selectFile(existing);
                    static_cast<QDialog&>(d).done(QDialog::Accepted);
                });
                Child<QToolButton>(f, "BtnSelectFile")->click();
                EXPECT_EQ(path->text(), existing);
            }
            if (c.TypeAfterwards) {
                path->setFocus();
                QTest::keyClick(path, Qt::Key_End);
                QTest::keyClick(path, Qt::Key_Backspace);
                QTest::keyClick(path, '3');
            }
            if (c.Asked) {
                Answer(QMessageBox::No, &question);
                Click(&f, "BtnOK");
                EXPECT_TRUE(f.isVisible());
                Answer(QMessageBox::Yes, &question);
            }
            Click(&f, "BtnOK");
        });
        ASSERT_EQ(form.Execute(c.UseDialog ? "" : existing.toStdString()), QDialog::Accepted);
        EXPECT_EQ(form.DatabasePath(), existing.toStdString());
        EXPECT_EQ(question, c.Asked ? "File " + existing + " already exists.\nOverwrite it?" : "");
    }
}

TEST(ScanSetupForms, NewDatabaseProposesTheLocalFolderAndOffersOpen) {
    TNewDBForm form;
    EXPECT_EQ(TNewDBForm::DefaultDatabasePath(), LocalDataFolder() + "/tabs.db3");
    QString shown;
    WhenModal<TNewDBForm>([&](TNewDBForm& f) {
        shown = Child<QLineEdit>(f, "DatabaseEditbox")->text();
        Click(&f, "BtnOpenDB");
    });
    EXPECT_EQ(form.Execute(), TNewDBForm::OpenResult);
    EXPECT_EQ(shown.toStdString(), TNewDBForm::DefaultDatabasePath());
    WhenModal<TNewDBForm>([&](TNewDBForm& f) { Click(&f, "BtnCancel"); });
    EXPECT_EQ(form.Execute(), QDialog::Rejected);
}

// The window shows the folders of the last scan, the first 20 of them, and OK keeps those.
TEST(ScanSetupForms, UpdateShowsTheCataloguedFoldersAtMostTwenty) {
    TTempDir dir;
    std::string rows;
    std::vector<std::string> folders;
    for (int i = 0; i < 23; ++i) {
        folders.push_back(dir / ("f" + std::to_string(i)));
        std::filesystem::create_directories(folders.back());
        rows += "INSERT INTO directories(directory) VALUES('" + folders.back() + "');";
    }
    MakeCatalogue(dir / "tabs.db3", 3, "'3'", rows);
    TCatalogueConnection db;
    db.Open(dir / "tabs.db3");
    TUpdateForm form;
    form.SetFolders({"left over"});
    QStringList shown;
    WhenModal<TUpdateForm>([&](TUpdateForm& f) {
        shown = f.Folders();
        Click(&f, "BtnOK");
    });
    const std::optional<TScanRequest> request = form.Execute(db);
    ASSERT_TRUE(request);
    folders.resize(20);
    EXPECT_EQ(request->Folders, folders);
    EXPECT_EQ(request->TabTypes, ttAll);
    ASSERT_EQ(shown.size(), 20);
    EXPECT_EQ(shown.first().toStdString(), folders.front());
    EXPECT_EQ(shown.last().toStdString(), folders.back());
    EXPECT_TRUE(db.Close()) << "a statement was left open";
}

// Each visible row has its folder button at the right end of its cell, also after scrolling.
TEST(ScanSetupForms, FolderButtonsFollowTheVisibleRows) {
    TUpdateForm form;
    form.show();
    auto* grid = Child<QTableWidget>(form, "DirsGrid");
    const auto buttonOf = [&](int row) {
        const QRect cell = grid->visualItemRect(grid->item(row, 0));
        QToolButton* found = nullptr;
        for (QToolButton* b : grid->viewport()->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly))
            if (b->isVisible() && b->geometry().top() == cell.top() && b->geometry().right() == cell.right())
                found = b;
        return found;
    };
    ASSERT_NE(buttonOf(0), nullptr);
    EXPECT_EQ(buttonOf(0)->toolTip(), "Select directory");
    grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum());
    EXPECT_NE(buttonOf(19), nullptr);
    EXPECT_EQ(buttonOf(0), nullptr);
    int visible = 0;
    for (QToolButton* b : grid->viewport()->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly))
        visible += b->isVisible() && b->geometry().intersects(grid->viewport()->rect());
    EXPECT_GE(visible, 7);
    EXPECT_LE(visible, 9);
}

} // namespace
