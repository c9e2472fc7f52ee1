#include "app/desktop_app.h"

#include <QApplication>
#include <QMainWindow>

#include "resources/string_ids.h"
#include "resources/string_table.h"
#include "ui/ui_text.h"

namespace tessarin {

int RunDesktopApp(int argc, char** argv) {
    QApplication application(argc, argv);
    const CStringTable strings;
    QMainWindow frame;
    frame.setWindowTitle(UiText(strings, str::kProgramName));
    frame.setMinimumSize(500, 250);
    frame.show();
    return application.exec();
}

}  // namespace tessarin
