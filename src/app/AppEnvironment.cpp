// Version and locale helpers of the program.
#include "app/AppEnvironment.h"

#include <QLocale>

namespace velrok::app {

AppVersion BuildVersion()
{
    return {VELROK_VERSION_MAJOR, VELROK_VERSION_MINOR, VELROK_VERSION_PATCH};
}

char DecimalSeparatorOf(const QLocale& locale)
{
    const QString point = locale.decimalPoint();
    if (point.size() != 1 || point.at(0).unicode() > 0x7f)
        return '.';
    return static_cast<char>(point.at(0).unicode());
}

} // namespace velrok::app
