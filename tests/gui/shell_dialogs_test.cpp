// The About box, the Getting Started pages and the missing-folder question.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include "resources/string_table.h"
#include "ui/shell_dialogs.h"

namespace tessarin {
namespace {

QStringList Texts(const QWidget& widget) {
    QStringList texts;
    for (const QLabel* label : widget.findChildren<QLabel*>())
        if (label->isVisibleTo(&widget) && !label->text().isEmpty())
            texts << label->text();
    return texts;
}

QStringList Buttons(const QWidget& widget) {
    QStringList texts;
    for (const QPushButton* button : widget.findChildren<QPushButton*>())
        texts << button->text();
    return texts;
}

TEST(ShellDialogs, AboutShowsTheVersionAndThePromotionalLineOnlyWhenThere) {
    CStringTable strings;
    CAboutDialog plain(strings, "3.4.0.0", QString());
    EXPECT_EQ(plain.windowTitle(), QStringLiteral("About Tessarin Password Manager"));
    EXPECT_TRUE(Texts(plain).contains("Tessarin Password Manager Version 3.4.0.0"));
    EXPECT_EQ(Texts(plain).size(), 2);
    CAboutDialog promoted(strings, "3.4.0.0", QStringLiteral("Licensed to Example Ltd."));
    EXPECT_TRUE(Texts(promoted).contains("Licensed to Example Ltd."));
}

TEST(ShellDialogs, GettingStartedPagesGoOnWithNextAndEndWithOkAndTheDownload) {
    CStringTable strings;
    for (int page = 1; page <= 4; ++page) {
        CGettingStartedPage dialog(strings, page);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Getting Started - Page %1 of 4").arg(page));
        EXPECT_EQ(Buttons(dialog),
                  page < 4 ? QStringList{"Next"} : QStringList({"Download Handheld Trial", "OK"}));
        // The picture is drawn, and named for screen readers by the page's words.
        const QLabel* picture = nullptr;
        for (const QLabel* label : dialog.findChildren<QLabel*>())
            if (!label->pixmap().isNull())
                picture = label;
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(picture->accessibleName(), Texts(dialog).first());
        EXPECT_FALSE(picture->accessibleName().isEmpty());
    }
}

TEST(ShellDialogs, MissingFolderAnswersRetryChangeOrCancel) {
    CStringTable strings;
    const std::pair<QString, int> answers[] = {{"Retry", CMissingFolderDialog::Retry},
                                               {"Change...", CMissingFolderDialog::Change},
                                               {"Cancel", CMissingFolderDialog::Cancel}};
    for (const auto& [button, result] : answers) {
        CMissingFolderDialog dialog(strings, QStringLiteral("/gone/folder"));
        EXPECT_TRUE(Texts(dialog).contains("/gone/folder"));
        for (QPushButton* b : dialog.findChildren<QPushButton*>())
            if (b->text() == button)
                b->click();
        EXPECT_EQ(dialog.result(), result) << button.toStdString();
    }
}

}  // namespace
}  // namespace tessarin
