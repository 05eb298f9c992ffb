#include "browse/SQLForm.h"

#include "app/BalloonHint.h"
#include "browse/SqlHighlighter.h"
#include "catalogue/DatabaseError.h"
#include "settings/LayoutStore.h"
#include "settings/Translate.h"

#include <QAction>
#include <QFontDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <map>

namespace {

constexpr QSize DefaultSize(459, 299);
constexpr QSize MinimumSize(200, 150);
constexpr int BalloonMsec = 2000;

QString Text(const std::string& translated) {
    return QString::fromStdString(translated);
}

QFont DefaultEditorFont() {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(13);
    return font;
}

std::map<std::string, std::string> Values(const std::vector<std::string>& lines) {
    std::map<std::string, std::string> values;
    for (const std::string& line : lines) {
        const size_t eq = line.find('=');
        if (eq != std::string::npos)
            values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return values;
}

std::optional<int> IntValue(const std::map<std::string, std::string>& values, const char* key) {
    const auto it = values.find(key);
    if (it == values.end())
        return std::nullopt;
    bool ok = false;
    const int n = QString::fromStdString(it->second).toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}

bool OnSomeScreen(const QRect& rect) {
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().intersects(rect))
            return true;
    return false;
}

QRect Centred(QSize size, const QWidget* widget) {
    const QScreen* screen = widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
    QRect rect(QPoint(), size);
    if (screen)
        rect.moveCenter(screen->availableGeometry().center());
    return rect;
}

} // namespace

TSQLForm::TSQLForm(const TGridPropertyStore* store, QWidget* parent, TFontChooser chooseFont)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      Store(store), ChooseFont(std::move(chooseFont)), SQLMemo(new QPlainTextEdit(this)),
      Highlighter(new TSqlHighlighter(SQLMemo->document())), BtnOK(new QPushButton(this)),
      BtnCancel(new QPushButton(this)) {
    setObjectName("SQLForm");
    setWindowTitle(Text(Tr("SQL")));
    setMinimumSize(MinimumSize);
    resize(DefaultSize);
    SQLMemo->setObjectName("SQLMemo");
    SQLMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    SQLMemo->setPlainText(QStringLiteral(" "));
    SetEditorFont(DefaultEditorFont());
    BtnOK->setObjectName("BtnOK");
    BtnOK->setText(Text(Tr("OK")));
    BtnOK->setDefault(true);
    BtnCancel->setObjectName("BtnCancel");
    BtnCancel->setText(Text(Tr("Cancel")));
    connect(BtnOK, &QPushButton::clicked, this, &TSQLForm::accept);
    connect(BtnCancel, &QPushButton::clicked, this, &TSQLForm::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BtnOK);
    buttons->addWidget(BtnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(SQLMemo, 1);
    layout->addLayout(buttons);
    CreateMenu();
}

void TSQLForm::CreateMenu() {
    SQLEditMenu = new QMenu(this);
    SQLEditMenu->setObjectName("SQLEditMenu");
    const auto add = [this](const std::string& caption, QKeySequence key, auto slot) {
        QAction* action = SQLEditMenu->addAction(Text(caption));
        action->setShortcut(key);
        connect(action, &QAction::triggered, this, slot);
    };
    add(Tr("&Undo"), QKeySequence::Undo, [this] { SQLMemo->undo(); });
    SQLEditMenu->addSeparator();
    add(Tr("Cu&t"), QKeySequence::Cut, [this] { SQLMemo->cut(); });
    add(Tr("&Copy"), QKeySequence::Copy, [this] { SQLMemo->copy(); });
    add(Tr("&Paste"), QKeySequence::Paste, [this] { SQLMemo->paste(); });
    SQLEditMenu->addSeparator();
    add(Tr("Change &Font..."), QKeySequence(), [this] { ChangeFont(); });
    SQLMemo->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(SQLMemo, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { SQLEditMenu->popup(SQLMemo->viewport()->mapToGlobal(at)); });
}

std::string TSQLForm::QueryText() const {
    return SQLMemo->toPlainText().toStdString();
}

bool TSQLForm::HasStatement(const QString& text) {
    for (QStringView line : QStringView(text).split(u'\n'))
        for (QChar c : line)
            if (c.unicode() > u' ')
                return true;
    return false;
}

void TSQLForm::SetEditorFont(const QFont& font) {
    SQLMemo->setFont(font);
    // Tab stops every two columns: columns 3, 5, 7 and so on.
    SQLMemo->setTabStopDistance(QFontMetricsF(font).horizontalAdvance(u' ') * 2);
}

void TSQLForm::ChangeFont() {
    std::optional<QFont> chosen;
    if (ChooseFont) {
        chosen = ChooseFont(SQLMemo->font(), this);
    } else {
        bool ok = false;
        const QFont font = QFontDialog::getFont(&ok, SQLMemo->font(), this);
        if (ok)
            chosen = font;
    }
    if (chosen)
        SetEditorFont(*chosen);
}

void TSQLForm::accept() {
    if (HasStatement(SQLMemo->toPlainText())) {
        QDialog::accept();
        return;
    }
    TBalloonHint::ShowAt(SQLMemo, Text(Tr("Error")), Text(Tr("Write SQL here or click \"Cancel\".")),
                         TBalloonIcon::Warning, BalloonMsec);
}

void TSQLForm::done(int result) {
    QDialog::done(result);
    SaveState();
}

void TSQLForm::showEvent(QShowEvent* event) {
    LoadState();
    QDialog::showEvent(event);
    BtnOK->setFocus();
    SQLMemo->setFocus();
}

void TSQLForm::LoadState() {
    const auto values = Values(Store ? Store->Load(SQLEditorSection) : std::vector<std::string>());
    const auto left = IntValue(values, "Left"), top = IntValue(values, "Top");
    const auto width = IntValue(values, "Width"), height = IntValue(values, "Height");
    const auto ppi = IntValue(values, "PixelsPerInch");
    QRect rect = Centred(DefaultSize, this);
    if (left && top && width && height) {
        // Sizes follow the screen's density when it changed since they were saved.
        const double scale = ppi && *ppi > 0 ? static_cast<double>(logicalDpiY()) / *ppi : 1.0;
        rect = QRect(*left, *top, static_cast<int>(*width * scale), static_cast<int>(*height * scale));
        rect.setSize(rect.size().expandedTo(MinimumSize));
        if (!OnSomeScreen(rect))
            rect = Centred(rect.size(), this);
    }
    setGeometry(rect);
    if (const auto it = values.find("Font"); it != values.end()) {
        QFont font;
        if (font.fromString(QString::fromStdString(it->second)))
            SetEditorFont(font);
    }
    if (IntValue(values, "WindowState") == 2)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void TSQLForm::SaveState() {
    if (!Store)
        return;
    const QRect rect = isMaximized() ? normalGeometry() : geometry();
    Store->Save(SQLEditorSection, {
                                      "Left=" + std::to_string(rect.left()),
                                      "Top=" + std::to_string(rect.top()),
                                      "Width=" + std::to_string(rect.width()),
                                      "Height=" + std::to_string(rect.height()),
                                      "PixelsPerInch=" + std::to_string(logicalDpiY()),
                                      "WindowState=" + std::string(isMaximized() ? "2" : "0"),
                                      "Font=" + SQLMemo->font().toString().toStdString(),
                                  });
}

QString SqlErrorText(const std::string& message) {
    return Text(Tr("Error executing SQL:")) + u'\n' + Text(message);
}

TSqlQueryResult ExecuteSQLQuery(TSQLForm& form, QWidget* owner, const TSqlQuerySteps& steps) {
    const QString title = Text(Tr("Error"));
    const int result = steps.RunModal ? steps.RunModal(form) : form.exec();
    if (result != QDialog::Accepted)
        return TSqlQueryResult::Cancelled;
    try {
        steps.Run();
        return TSqlQueryResult::Shown;
    } catch (const EDatabaseError& e) {
        const QString text = SqlErrorText(e.what());
        if (steps.ShowError) {
            steps.ShowError(title, text);
        } else {
            // Plain text: the database's message may hold characters that rich text would eat.
            QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, owner);
            box.setTextFormat(Qt::PlainText);
            box.exec();
        }
        steps.FallBack();
        return TSqlQueryResult::Failed;
    }
}
