#include "app/QuiravelApplication.h"

#include "app/ExceptionDlg.h"

#include <cxxabi.h>
#include <exception>
#include <memory>
#include <typeinfo>

namespace {

std::string Demangled(const char* name) {
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> plain(abi::__cxa_demangle(name, nullptr, nullptr, &status),
                                                      &std::free);
    return status == 0 && plain ? plain.get() : name;
}

std::string ClassOf(const QObject* receiver) {
    return receiver ? receiver->metaObject()->className() : "";
}

} // namespace

TQuiravelApplication::TQuiravelApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TQuiravelApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ApplicationEventsException(ClassOf(receiver), Demangled(typeid(e).name()), e.what());
    } catch (...) {
        const std::type_info* type = abi::__cxa_current_exception_type();
        ApplicationEventsException(ClassOf(receiver), type ? Demangled(type->name()) : "", "");
    }
    return false;
}
