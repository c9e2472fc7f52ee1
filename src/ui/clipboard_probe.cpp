#include "ui/clipboard_probe.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace tessarin {

namespace {

class CLocalClipboardProbe : public IClipboardProbe {
public:
    void Look(int count, std::function<void(const QString&)> answer) override {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        answer(data && data->hasText() ? data->text().left(count) : QString());
    }
};

}  // namespace

std::unique_ptr<IClipboardProbe> MakeLocalClipboardProbe() {
    return std::make_unique<CLocalClipboardProbe>();
}

}  // namespace tessarin
