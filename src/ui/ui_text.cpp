#include "ui/ui_text.h"

#include "platform/qt_text.h"

namespace tessarin {

QString UiText(const CStringTable& strings, int id, std::initializer_list<std::string_view> args) {
    if (args.size() == 0)
        return Cp1252ToQString(strings.Get(id));
    return Cp1252ToQString(strings.Format(id, args));
}

}  // namespace tessarin
