#include "ui/shell_dialogs.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "platform/qt_text.h"
#include "render/pictures.h"
#include "resources/string_ids.h"
#include "ui/shell_open.h"
#include "ui/ui_text.h"

namespace tessarin {

namespace {

inline constexpr int kPageCount = 4;

QLabel* Picture(const QString& name, QSize size, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setPixmap(QPixmap::fromImage(RenderPicture(name, size, parent->devicePixelRatioF())));
    label->setFixedSize(size);
    return label;
}

}  // namespace

CAboutDialog::CAboutDialog(const CStringTable& strings, const QString& version,
                           const QString& promoText, QWidget* parent)
    : CDialogBase(strings, str::kAboutTitle, parent) {
    auto* texts = new QVBoxLayout;
    texts->addWidget(
        new QLabel(UiText(strings, str::kAboutVersion, {QStringToCp1252(version)}), this));
    texts->addWidget(new QLabel(UiText(strings, str::kAboutNotice), this));
    auto* promo = new QLabel(promoText, this);
    promo->setWordWrap(true);
    promo->setVisible(!promoText.isEmpty());
    texts->addWidget(promo);
    auto* top = new QHBoxLayout;
    top->addWidget(Picture(QStringLiteral("tessarin"), QSize(48, 48), this), 0, Qt::AlignTop);
    top->addLayout(texts);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(OkButtons(0));
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

CGettingStartedPage::CGettingStartedPage(const CStringTable& strings, int page, QWidget* parent)
    : CDialogBase(strings, UiText(strings, str::kGettingStartedTitle, {std::to_string(page)}),
                  parent) {
    auto* words = new QLabel(UiText(strings, str::kGettingStartedPage1 + page - 1), this);
    words->setWordWrap(true);
    QLabel* picture =
        Picture(QStringLiteral("getting-started-%1").arg(page), QSize(480, 300), this);
    picture->setAccessibleName(words->text());
    QDialogButtonBox* buttons = ButtonRow();
    if (page < kPageCount) {
        AddButton(buttons, str::kNextButton, QDialogButtonBox::AcceptRole, true);
    } else {
        QPushButton* download =
            AddButton(buttons, str::kDownloadTrialButton, QDialogButtonBox::ActionRole);
        const QString address = UiText(strings, str::kDownloadPageAddress);
        connect(download, &QPushButton::clicked, this, [address] { OpenInDesktop(QUrl(address)); });
        AddButton(buttons, str::kOkButton, QDialogButtonBox::AcceptRole, true);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(picture, 0, Qt::AlignHCenter);
    layout->addWidget(words);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void ShowGettingStarted(const CStringTable& strings, QWidget* parent) {
    for (int page = 1; page <= kPageCount; ++page) {
        CGettingStartedPage dialog(strings, page, parent);
        if (dialog.exec() != QDialog::Accepted)
            return;
    }
}

CMissingFolderDialog::CMissingFolderDialog(const CStringTable& strings, const QString& folder,
                                           QWidget* parent)
    : CDialogBase(strings, str::kProgramName, parent) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(UiText(strings, str::kDatabaseNotFoundAt), this));
    auto* where = new QLabel(folder, this);
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(where);
    // "Cancel" rejects: its answer is Cancel.
    static_assert(static_cast<int>(Cancel) == static_cast<int>(QDialog::Rejected));
    QDialogButtonBox* buttons = ButtonRow();
    QPushButton* retry = AddButton(buttons, str::kRetryButton, QDialogButtonBox::ActionRole, true);
    QPushButton* change = AddButton(buttons, str::kChangeButton, QDialogButtonBox::ActionRole);
    AddButton(buttons, str::kCancelButton, QDialogButtonBox::RejectRole);
    connect(retry, &QPushButton::clicked, this, [this] { done(Retry); });
    connect(change, &QPushButton::clicked, this, [this] { done(Change); });
    layout->addWidget(buttons);
}

}  // namespace tessarin
