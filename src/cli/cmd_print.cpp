// print: the printed report of the record list, as the desktop program prints it, into a PDF file.
#include <clocale>
#include <memory>
#include <string>

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

#include "base/text_case.h"
#include "cli/cli_session.h"
#include "cli/command.h"
#include "cli/exchange_steps.h"
#include "cli/list_query.h"
#include "platform/qt_text.h"
#include "render/list_font.h"
#include "render/report_printer.h"
#include "resources/error_text.h"
#include "resources/string_ids.h"
#include "store/file_io.h"

namespace tessarin::cli {

namespace {

// The PDF stands for a printer that cannot print within a quarter inch of the paper's edges, as
// most cannot; the report keeps its own half-inch margin inside that.
constexpr double kUnprintableInches = 0.25;

// Qt's own remarks about its environment (a missing runtime folder and the like) are not the
// tool's messages, and say nothing the user can act on.
void DropQtMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

// Text is laid out only under a QGuiApplication. The tool has none of its own, so one is made for
// the command, on the offscreen platform: no display is needed.
class CDrawingApplication {
public:
    CDrawingApplication() : m_previousHandler(qInstallMessageHandler(DropQtMessage)) {
        if (QCoreApplication::instance())
            return;
        // Qt sets the C library's locale from the environment; the tool's own texts do not
        // follow it, so it is put back.
        const std::string locale = std::setlocale(LC_ALL, nullptr);
        m_application = std::make_unique<QGuiApplication>(m_argc, m_argv);
        std::setlocale(LC_ALL, locale.c_str());
    }
    ~CDrawingApplication() {
        m_application.reset();
        qInstallMessageHandler(m_previousHandler);
    }
    CDrawingApplication(const CDrawingApplication&) = delete;
    CDrawingApplication& operator=(const CDrawingApplication&) = delete;

private:
    char m_name[13] = "tessarin-cli";
    char m_option[10] = "-platform";
    char m_platform[10] = "offscreen";
    char* m_argv[4] = {m_name, m_option, m_platform, nullptr};
    int m_argc = 3;
    QtMessageHandler m_previousHandler;
    std::unique_ptr<QGuiApplication> m_application;
};

// Letter where the locale measures in US units, A4 elsewhere (also in Britain).
QPageSize::PageSizeId LocalePaper() {
    return QLocale::system().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                              : QPageSize::A4;
}

class CPrintCommand : public ICommand {
public:
    std::string_view Name() const override { return "print"; }
    std::string_view Synopsis() const override { return "--pdf OUT [--page-size A4|Letter]"; }
    int Summary() const override { return str::kCliSummaryPrint; }
    std::vector<COptionSpec> Options() const override {
        std::vector<COptionSpec> options = RowChoiceOptions();
        options.push_back({"--pdf", "OUT", str::kCliOptionPdf});
        options.push_back({"--page-size", "A4|Letter", str::kCliOptionPageSize});
        return options;
    }

    int Run(CCliSession& session, const CParsedArgs& args) override {
        const std::string out = args.Value("--pdf");
        if (out.empty())
            return session.UsageError(str::kCliPrintNeedsPdf);
        QPageSize::PageSizeId paper = LocalePaper();
        if (args.Has("--page-size")) {
            const std::string size = args.Value("--page-size");
            if (EqualsNoCase(size, "A4"))
                paper = QPageSize::A4;
            else if (EqualsNoCase(size, "Letter"))
                paper = QPageSize::Letter;
            else
                return session.UsageError(str::kCliBadPageSize, {FromTerminal(size)});
        }
        // Before the password is asked: nothing may be printed anyway.
        if (session.Preferences().PrintingDisabled())
            return session.Fail(str::kCliPrintingDisabled);

        if (int code = session.RequireDatabasePath())
            return code;
        // Written safely, the report would replace the database.
        if (SameFile(out, session.DatabasePath()))
            return session.Fail(str::kCliExportIsDatabase, {FromTerminal(out)});
        CListQuery query(session);
        if (int code = query.Run(args))
            return code;

        const CDrawingApplication application;
        QByteArray pdf;
        int pages = 0;
        {
            QBuffer buffer(&pdf);
            buffer.open(QIODevice::WriteOnly);
            QPdfWriter writer(&buffer);
            writer.setPageLayout(QPageLayout(QPageSize(paper), QPageLayout::Portrait,
                                             QMarginsF(kUnprintableInches, kUnprintableInches,
                                                       kUnprintableInches, kUnprintableInches),
                                             QPageLayout::Inch));
            const std::optional<CLogFont> font = session.Preferences().ReadFont();
            const QFont listFont =
                font ? FontFromLogFont(*font, QGuiApplication::font()) : QGuiApplication::font();
            const CReportPrinter report(query.List(), query.LayoutInForce(), listFont,
                                        session.Strings(), UserName(session), writer);
            writer.setCreator(Cp1252ToQString(session.Strings().Get(str::kProgramName)));
            writer.setTitle(report.Header());
            if (!report.Print(writer))
                return session.Fail(str::kCliReportNotDrawn);
            pages = report.PageCount();
        }
        try {
            WriteFileSafely(
                out, [&](IByteSink& sink) { sink.Write(pdf.constData(), pdf.size()); },
                LinkAtPath::Replace);
        } catch (const CFileError& e) {
            return session.Fail(
                str::kCliReportNotWritten,
                {FromTerminal(out),
                 WordsWithCode(session.Strings(), WriteErrorWords(session.Strings(), e.Code(), out),
                               e.Code())});
        }
        session.Say(str::kCliReportWritten, {FromTerminal(out), std::to_string(pages),
                                             std::to_string(query.List().RowCount())});
        return kExitOk;
    }

private:
    // The user the report is for: the one whose database was chosen, else the user whose
    // preferences the tool reads (who last logged in to the program).
    static std::string UserName(CCliSession& session) {
        return session.CurrentUser() ? session.CurrentUser()->Name()
                                     : session.Preferences().UserName();
    }
};

}  // namespace

std::unique_ptr<ICommand> MakePrintCommand() {
    return std::make_unique<CPrintCommand>();
}

}  // namespace tessarin::cli
