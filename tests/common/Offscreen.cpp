// Linked into every test program: screens are tested offscreen, also when the program is
// started by hand from a desktop session whose display would otherwise take its windows.
// It runs before main, so before the application object picks its platform.
#include <QByteArray>
#include <QtGlobal>

namespace {
const bool offscreen = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    return true;
}();
}  // namespace
