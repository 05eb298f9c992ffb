#include "app/MainForm.h"
#include "app/QuiravelApplication.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QPixmap>

#include <cstdio>
#include <cstring>

namespace {

// Shows the window over its catalogue, saves a picture of it to file and ends.
int Screenshot(TMainForm& form, const char* file) {
    QCoreApplication::processEvents();
    form.WaitForQueryThreads();
    QCoreApplication::processEvents();
    form.UpdateActions();
    const bool saved = form.grab().save(QString::fromLocal8Bit(file), "PNG");
    form.close();
    if (!saved)
        std::fprintf(stderr, "quiravel: cannot write %s\n", file);
    return saved ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    TQuiravelApplication app(argc, argv);
    QApplication::setApplicationName("Quiravel");
    const char* screenshot = argc == 3 && std::strcmp(argv[1], "--screenshot") == 0 ? argv[2] : nullptr;
    // The window is destroyed, and the settings written, before the application object goes.
    TMainForm::THooks hooks;
    if (screenshot)
        // Nobody is there to answer a window.
        hooks.RunModal = [](QDialog&) { return int(QDialog::Rejected); };
    TMainForm form(SettingsFiles::Standard(), hooks);
    form.show();
    if (screenshot)
        return Screenshot(form, screenshot);
    return QApplication::exec();
}
