// The message boxes the core's messages become.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "resources/string_ids.h"
#include "resources/string_table.h"
#include "ui/message_box.h"

namespace tessarin {
namespace {

TEST(MessageBox, ATextTallerThanAScreenShowsItsHeadAndTheWholeUnderDetails) {
    CStringTable strings;
    CMessageBoxSink sink(strings);
    std::string list;
    for (int i = 1; i <= 100; ++i)
        list += "line " + std::to_string(i) + ", \"record\": name\n";
    list.pop_back();
    for (const auto& [entries, shortened] :
         {std::pair(list, true), std::pair(std::string("a"), false)}) {
        QString text, details;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_TRUE(box);
            text = box->text();
            details = box->detailedText();
            box->accept();
        });
        sink.Show({str::kManagerCharactersReplaced, {"100", entries}, MessageIcon::Exclamation});
        EXPECT_TRUE(text.startsWith("100 of the imported records"));
        if (shortened) {
            EXPECT_EQ(text.count('\n'), 25);
            EXPECT_TRUE(text.contains("line 24,"));
            EXPECT_FALSE(text.contains("line 25,"));
            EXPECT_TRUE(details.endsWith("line 100, \"record\": name"));
        } else {
            EXPECT_TRUE(details.isEmpty());
        }
    }
}

}  // namespace
}  // namespace tessarin
