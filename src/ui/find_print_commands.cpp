#include "ui/find_print_commands.h"

#include <algorithm>

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPageSetupDialog>
#include <QPaintEngine>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTemporaryDir>

#include "platform/qt_text.h"
#include "render/report_printer.h"
#include "resources/command_table_data.h"
#include "resources/string_ids.h"
#include "store/core_context.h"
#include "store/file_io.h"
#include "store/preferences.h"
#include "ui/command_table.h"
#include "ui/desktop_view.h"
#include "ui/find_dialog.h"
#include "ui/ui_text.h"

namespace tessarin {

CFindPrintCommands::CFindPrintCommands(CCoreContext& context, CPreferences& preferences,
                                       CTessarinDesktopView& view,
                                       std::function<std::string()> userName, QWidget* window)
    : m_context(context),
      m_preferences(preferences),
      m_view(view),
      m_userName(std::move(userName)),
      m_window(window),
      m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution)) {}

CFindPrintCommands::~CFindPrintCommands() = default;

void CFindPrintCommands::Bind(CCommandTable& commands) {
    commands.SetHandler(cmd::kFind, [this] { Find(); });
    commands.SetHandler(cmd::kFindAll, [this] { FindAll(); });
    commands.SetEnableRule(cmd::kFindAll, [this] { return m_view.IsNarrowed(); });
    commands.SetHandler(cmd::kSelectAll, [this] { m_view.SelectAllRows(); });
    commands.SetHandler(cmd::kPrint, [this] { Print(); });
    commands.SetHandler(cmd::kPrintPreview, [this] { PrintPreview(); });
    commands.SetHandler(cmd::kPrintSetup, [this] { PrintSetup(); });
    for (uint32_t id : {cmd::kPrint, cmd::kPrintPreview, cmd::kPrintSetup})
        commands.SetEnableRule(id, [this] { return PrintingAllowed(); });
}

void CFindPrintCommands::Find() {
    CFindDialog dialog(m_context.Strings(), m_lastText,
                       m_preferences.ReadNumber(Pref::CaseSensitive) != 0,
                       m_preferences.ReadNumber(Pref::WholeWord) != 0, m_window);
    const bool accepted =
        m_runFindDialog ? m_runFindDialog(dialog) : dialog.exec() == QDialog::Accepted;
    if (!accepted)
        return;
    const bool caseSensitive = dialog.CaseSensitiveBox()->isChecked();
    const bool wholeWord = dialog.WholeWordBox()->isChecked();
    m_preferences.WriteNumber(Pref::CaseSensitive, caseSensitive ? 1 : 0);
    m_preferences.WriteNumber(Pref::WholeWord, wholeWord ? 1 : 0);
    m_lastText = dialog.TextEdit()->text();
    if (m_lastText.isEmpty())
        return;
    m_view.RefillFiltered(QStringToCp1252(m_lastText), caseSensitive, wholeWord);
}

void CFindPrintCommands::FindAll() {
    m_view.RefillList();
}

bool CFindPrintCommands::PrintingAllowed() const {
    return !m_preferences.PrintingDisabled();
}

std::vector<size_t> CFindPrintCommands::SelectedListRows() const {
    std::vector<size_t> rows;
    for (const CRecord* record : m_view.SelectedRecords())
        if (const std::optional<size_t> row = m_view.ListModel().RowOf(*record))
            rows.push_back(*row);
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool CFindPrintCommands::PrintReport(QPrinter& printer, int firstPage, int lastPage,
                                     std::optional<std::vector<size_t>> rows) {
    // The list is empty while locked; even so nothing of the database may reach paper.
    if (m_view.IsLocked())
        return true;
    // Printing to a PDF file: Qt would create the file with the umask's mode and write through a
    // link planted at its name. It writes into a private folder instead, and the file goes to its
    // place as an export does. (The preview draws on a picture engine, and is left alone.)
    const QString target = printer.outputFileName();
    const bool toFile = printer.outputFormat() == QPrinter::PdfFormat && !target.isEmpty() &&
                        printer.paintEngine() && printer.paintEngine()->type() == QPaintEngine::Pdf;
    QTemporaryDir privateFolder;  // mode 0700, removed with what it holds
    if (toFile) {
        if (!privateFolder.isValid())
            return ReportNotWritten(target);
        printer.setOutputFileName(privateFolder.filePath(QStringLiteral("report.pdf")));
    }
    bool drawn;
    {
        const CReportPrinter report(m_view.ListModel(), m_view.ColumnLayout(), m_view.ListFont(),
                                    m_context.Strings(), m_userName ? m_userName() : std::string(),
                                    printer, std::move(rows));
        printer.setDocName(report.Header());
        drawn = report.Print(printer, firstPage, lastPage);
    }
    if (!toFile)
        return drawn;
    printer.setOutputFileName(target);
    if (!drawn)
        return false;
    QFile pdf(privateFolder.filePath(QStringLiteral("report.pdf")));
    if (!pdf.open(QIODevice::ReadOnly))
        return ReportNotWritten(target);
    const QByteArray bytes = pdf.readAll();
    try {
        WriteFileSafely(
            target.toStdString(),
            [&](IByteSink& sink) {
                sink.Write(bytes.constData(), static_cast<size_t>(bytes.size()));
            },
            LinkAtPath::Replace);
    } catch (const CFileError&) {
        return ReportNotWritten(target);
    }
    return true;
}

bool CFindPrintCommands::ReportNotWritten(const QString& path) {
    m_context.ShowMessage(str::kReportNotWritten, {QStringToCp1252(path)},
                          MessageIcon::Exclamation);
    return true;  // said here: the caller has nothing to add
}

void CFindPrintCommands::Print() {
    if (!PrintingAllowed() || m_view.IsLocked())
        return;
    int pages = 1;
    {
        const CReportPrinter report(m_view.ListModel(), m_view.ColumnLayout(), m_view.ListFont(),
                                    m_context.Strings(), std::string(), *m_printer);
        pages = report.PageCount();
    }
    m_printer->setFromTo(0, 0);
    m_printer->setPrintRange(QPrinter::AllPages);
    bool accepted = false;
    if (m_runPrintDialog) {
        accepted = m_runPrintDialog(*m_printer, pages);
    } else {
        QPrintDialog dialog(m_printer.get(), m_window);
        dialog.setMinMax(1, pages);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, !m_view.SelectedRecords().empty());
        accepted = dialog.exec() == QDialog::Accepted;
    }
    // The dialog runs its own loop: the program may have locked meanwhile.
    if (!accepted || m_view.IsLocked())
        return;
    int first = 1;
    int last = 0;
    if (m_printer->printRange() == QPrinter::PageRange && m_printer->fromPage() > 0) {
        first = m_printer->fromPage();
        last = m_printer->toPage();
    }
    // "Selection": the rows selected when the dialog closed, in the list's order.
    std::optional<std::vector<size_t>> rows;
    if (m_printer->printRange() == QPrinter::Selection)
        rows = SelectedListRows();
    if (!PrintReport(*m_printer, first, last, std::move(rows)))
        m_context.ShowMessage(str::kPrintNotDrawn, {}, MessageIcon::Exclamation);
}

void CFindPrintCommands::PrintPreview() {
    if (!PrintingAllowed() || m_view.IsLocked())
        return;
    QPrintPreviewDialog dialog(m_printer.get(), m_window);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested,
                     [this](QPrinter* printer) { PrintReport(*printer); });
    dialog.exec();
}

void CFindPrintCommands::PrintSetup() {
    if (!PrintingAllowed())
        return;
    if (m_runPageSetup) {
        m_runPageSetup(*m_printer);
        return;
    }
    QPageSetupDialog dialog(m_printer.get(), m_window);
    dialog.exec();
}

}  // namespace tessarin
