#pragma once

// What the record view needs of the desktop program, for the benchmarks that run the view alone:
// Qt (on the offscreen platform unless QT_QPA_PLATFORM names another), the system's locale, the
// database's key, and preferences (in memory, at their defaults).
#include <cstdlib>
#include <memory>

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>

#include "bench_support.h"
#include "platform/qt_locale.h"
#include "store/preference_store.h"
#include "store/preferences.h"
#include "ui/record_list_view.h"
#include "ui/record_table_model.h"

namespace tessarin::bench {

struct CViewProgram {
    static int& Platform(int& argc) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        return argc;
    }
    CViewProgram(int& argc, char** argv) : application(Platform(argc), argv) {
        context.SetLocale(locale.get());
        SetDatabaseKey(context, CSecret(kPassword));
    }

    QApplication application;
    CCoreContext context;
    std::unique_ptr<CQtLocale> locale = CQtLocale::System();
    CMemoryPreferenceStore store;
    CPreferences preferences{store};
};

// A click (press and release) in the middle of the header of a column that is shown.
inline void ClickHeader(CRecordListView& list, int column) {
    QHeaderView* header = list.horizontalHeader();
    const int section = list.Model().SectionOf(column);
    const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                    header->height() / 2);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, header->viewport()->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(header->viewport(), &event);
    }
}

}  // namespace tessarin::bench
