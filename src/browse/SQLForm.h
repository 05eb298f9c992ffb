#pragma once

#include <QDialog>

#include <functional>
#include <optional>
#include <string>

class QMenu;
class QPlainTextEdit;
class QPushButton;
class TGridPropertyStore;
class TSqlHighlighter;

// The SQL window: the user's own query against the open catalogue, run into the tablature list.
// Created once and reused, so the text stays for the program's run; its place, size and editor
// font are kept in the settings file's "SQLEditor" section, loaded when shown and saved when
// closed. The text itself is never stored nor translated.
class TSQLForm : public QDialog {
    Q_OBJECT
public:
    // chooseFont returns the font picked starting from the given one, or none when cancelled; a font
    // dialog when empty.
    using TFontChooser = std::function<std::optional<QFont>(const QFont&, QWidget*)>;

    // store may be null: nothing is loaded or saved.
    explicit TSQLForm(const TGridPropertyStore* store, QWidget* parent = nullptr,
                      TFontChooser chooseFont = {});

    // The editor's text as typed, all lines, in UTF-8.
    std::string QueryText() const;
    QPlainTextEdit* Editor() const { return SQLMemo; }
    QMenu* EditMenu() const { return SQLEditMenu; }
    void ChangeFont();

    // Whether some line holds more than blanks and control characters.
    static bool HasStatement(const QString& text);

    void accept() override;
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateMenu();
    void SetEditorFont(const QFont& font);
    void LoadState();
    void SaveState();

    const TGridPropertyStore* Store;
    TFontChooser ChooseFont;
    QPlainTextEdit* SQLMemo;
    TSqlHighlighter* Highlighter;
    QMenu* SQLEditMenu = nullptr;
    QPushButton* BtnOK;
    QPushButton* BtnCancel;
};

// The steps of the main window's "SQL Query" command around the SQL window.
struct TSqlQuerySteps {
    // Runs the window modally; exec when empty.
    std::function<int(QDialog&)> RunModal;
    // SQL mode on, folder mode off, and the tablature list refilled in place with the window's
    // text; throws EDatabaseError when the query fails.
    std::function<void()> Run;
    // SQL mode off and the list refilled with the search or browse rows.
    std::function<void()> FallBack;
    // Shows the error to the user; a message box owned by owner when empty.
    std::function<void(const QString& title, const QString& text)> ShowError;
};

enum class TSqlQueryResult { Cancelled, Shown, Failed };

// The message for a query the database refused: "Error executing SQL:", a line break, the message.
QString SqlErrorText(const std::string& message);

// Shows the window; on OK runs the query, and on a database error shows it and falls back. The
// info line is the caller's to update afterwards in every case but Cancelled.
TSqlQueryResult ExecuteSQLQuery(TSQLForm& form, QWidget* owner, const TSqlQuerySteps& steps);
