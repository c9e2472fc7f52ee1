#pragma once

// Find, Find All, Select All and the print commands of the record list.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QString>

class QPrinter;
class QWidget;

namespace tessarin {

class CCommandTable;
class CCoreContext;
class CFindDialog;
class CPreferences;
class CTessarinDesktopView;

class CFindPrintCommands {
public:
    // `userName`: the name the report is headed for (Windows-1252).
    CFindPrintCommands(CCoreContext& context, CPreferences& preferences, CTessarinDesktopView& view,
                       std::function<std::string()> userName, QWidget* window);
    ~CFindPrintCommands();

    void Bind(CCommandTable& commands);

    void Find();
    void FindAll();
    void Print();
    void PrintPreview();
    void PrintSetup();
    bool PrintingAllowed() const;

    // Draws the report of the list as shown on `printer` (nothing while locked); `rows`: only these
    // rows of the list (the selection). False when the printer could not be painted on. A PDF file
    // printed to is the user's alone (0600) and never written through a link at its name; when it
    // cannot be written, the user is told here.
    bool PrintReport(QPrinter& printer, int firstPage = 1, int lastPage = 0,
                     std::optional<std::vector<size_t>> rows = std::nullopt);
    // The selected rows of the list, top to bottom.
    std::vector<size_t> SelectedListRows() const;

    // The printer the jobs use; its page settings last as long as the program.
    QPrinter& Printer() { return *m_printer; }
    const QString& LastFindText() const { return m_lastText; }

    // Test seams in place of the dialogs: true for OK. The print dialog gets the report's
    // page count; it offers "Selection" when rows are selected.
    std::function<bool(CFindDialog&)> m_runFindDialog;
    std::function<bool(QPrinter&, int pages)> m_runPrintDialog;
    std::function<bool(QPrinter&)> m_runPageSetup;

private:
    bool ReportNotWritten(const QString& path);

    CCoreContext& m_context;
    CPreferences& m_preferences;
    CTessarinDesktopView& m_view;
    std::function<std::string()> m_userName;
    QWidget* m_window;
    QString m_lastText;
    std::unique_ptr<QPrinter> m_printer;
};

}  // namespace tessarin
