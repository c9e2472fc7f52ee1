#include "ui/shell_dialogs.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

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
    : QDialog(parent) {
    setWindowTitle(UiText(strings, str::kAboutTitle));
    auto* texts = new QVBoxLayout;
    texts->addWidget(
        new QLabel(UiText(strings, str::kAboutVersion, {ToMessageText(version)}), this));
    texts->addWidget(new QLabel(UiText(strings, str::kAboutNotice), this));
    auto* promo = new QLabel(promoText, this);
    promo->setWordWrap(true);
    promo->setVisible(!promoText.isEmpty());
    texts->addWidget(promo);
    auto* top = new QHBoxLayout;
    top->addWidget(Picture(QStringLiteral("tessarin"), QSize(48, 48), this), 0, Qt::AlignTop);
    top->addLayout(texts);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(UiText(strings, str::kOkButton), QDialogButtonBox::AcceptRole)
        ->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

CGettingStartedPage::CGettingStartedPage(const CStringTable& strings, int page, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(UiText(strings, str::kGettingStartedTitle, {std::to_string(page)}));
    auto* words = new QLabel(UiText(strings, str::kGettingStartedPage1 + page - 1), this);
    words->setWordWrap(true);
    QLabel* picture =
        Picture(QStringLiteral("getting-started-%1").arg(page), QSize(480, 300), this);
    picture->setAccessibleName(words->text());
    auto* buttons = new QDialogButtonBox(this);
    if (page < kPageCount) {
        buttons->addButton(UiText(strings, str::kNextButton), QDialogButtonBox::AcceptRole)
            ->setDefault(true);
    } else {
        QPushButton* download = buttons->addButton(UiText(strings, str::kDownloadTrialButton),
                                                   QDialogButtonBox::ActionRole);
        const QString address = UiText(strings, str::kDownloadPageAddress);
        connect(download, &QPushButton::clicked, this, [address] { OpenInDesktop(QUrl(address)); });
        buttons->addButton(UiText(strings, str::kOkButton), QDialogButtonBox::AcceptRole)
            ->setDefault(true);
    }
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
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
    : QDialog(parent) {
    setWindowTitle(UiText(strings, str::kProgramName));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(UiText(strings, str::kDatabaseNotFoundAt), this));
    auto* where = new QLabel(folder, this);
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(where);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* retry =
        buttons->addButton(UiText(strings, str::kRetryButton), QDialogButtonBox::ActionRole);
    QPushButton* change =
        buttons->addButton(UiText(strings, str::kChangeButton), QDialogButtonBox::ActionRole);
    QPushButton* cancel =
        buttons->addButton(UiText(strings, str::kCancelButton), QDialogButtonBox::RejectRole);
    retry->setDefault(true);
    connect(retry, &QPushButton::clicked, this, [this] { done(Retry); });
    connect(change, &QPushButton::clicked, this, [this] { done(Change); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(Cancel); });
    layout->addWidget(buttons);
}

}  // namespace tessarin
