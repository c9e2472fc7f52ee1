// Build-time tool: turns the user guide's Markdown into a PDF, and the program's SVG icon into PNG
// files of the sizes desktops look for. No display is needed.
//   tessarin-docgen pdf GUIDE.md OUT.pdf
//   tessarin-docgen png ICON.svg SIZE OUT.png
#include <cstdio>
#include <cstdlib>

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgRenderer>
#include <QTextDocument>

namespace {

int Usage() {
    std::fputs("usage: tessarin-docgen pdf GUIDE.md OUT.pdf | png ICON.svg SIZE OUT.png\n", stderr);
    return 2;
}

int MakePdf(const QString& markdownPath, const QString& pdfPath) {
    QFile in(markdownPath);
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(markdownPath));
        return 1;
    }
    QTextDocument document;
    document.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    document.setDefaultStyleSheet(QStringLiteral("h1 { color: #1f4fa0; } h2 { color: #1f4fa0; }"));
    document.setMarkdown(QString::fromUtf8(in.readAll()));
    QPdfWriter writer(pdfPath);
    writer.setTitle(QStringLiteral("Tessarin User Guide"));
    writer.setCreator(QStringLiteral("Tessarin"));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
    document.print(&writer);
    return QFile::exists(pdfPath) ? 0 : 1;
}

int MakePng(const QString& svgPath, int size, const QString& pngPath) {
    QSvgRenderer renderer(svgPath);
    if (!renderer.isValid() || size <= 0) {
        std::fprintf(stderr, "cannot render %s\n", qPrintable(svgPath));
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    return image.save(pngPath) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication application(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() == 4 && args[1] == QLatin1String("pdf"))
        return MakePdf(args[2], args[3]);
    if (args.size() == 5 && args[1] == QLatin1String("png"))
        return MakePng(args[2], args[3].toInt(), args[4]);
    return Usage();
}
