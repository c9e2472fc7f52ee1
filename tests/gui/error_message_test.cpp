// A message box for a failure the system reported: the program's text with its code, and under it
// the system's words.
#include <gtest/gtest.h>

#include <cerrno>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "resources/error_text.h"
#include "resources/string_ids.h"
#include "resources/string_table.h"
#include "ui/message_box.h"

namespace tessarin {
namespace {

TEST(ErrorMessage, TheBoxShowsTheCodeAndUnderItTheWords) {
    const CStringTable strings;
    CMessageBoxSink sink(strings);
    const std::string file = "/home/ann/Documents/TessarinDatabase.tdb";
    QString text, informative;
    // The box is modal: it is read and closed from inside its own loop.
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        text = box->text();
        informative = box->informativeText();
        box->accept();
    });
    sink.Show({str::kErrorSavingDatabase,
               {"1c"},
               MessageIcon::Error,
               MessageButtons::Ok,
               FileErrorDetail(strings, ENOSPC, file, true)});
    EXPECT_EQ(text, "There was an error saving the Tessarin database. (1c)");
    EXPECT_EQ(informative, "The system reported: the disk that holds /home/ann/Documents is full.");
}

}  // namespace
}  // namespace tessarin
