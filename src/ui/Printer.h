// Printing a window as it is shown: on the default printer through Qt Print Support, or, on a
// computer without a printer, as a PDF file. The program uses QtPrinter; tests install a
// ScriptedPrinter (ui/ScriptedPrinter.h), so that no test needs a printer.
#pragma once

#include <QString>

class QWidget;

namespace kelva::ui {

class Ui;

struct PrintResult {
    enum class Kind { Printed, SavedAsPdf, Failed };
    Kind kind = Kind::Failed;
    QString where; // the printer's name, or the PDF file's path
    QString error; // why nothing was printed, in words
};

class Printer {
  public:
    virtual ~Printer() = default;
    // Prints `page` as it is shown, scaled to fit one page, on the default printer and ends the
    // job at once. Without a printer the page goes to a new PDF file in `pdfDir` named
    // `pdfStem`.pdf (`pdfStem` (2).pdf, ... when the name is taken).
    virtual PrintResult print(QWidget& page, const QString& pdfDir, const QString& pdfStem) = 0;
};

class QtPrinter : public Printer {
  public:
    // `pdfOnly`: the PDF file even where a printer is installed.
    explicit QtPrinter(bool pdfOnly = false) : pdfOnly_(pdfOnly) {}
    PrintResult print(QWidget& page, const QString& pdfDir, const QString& pdfStem) override;

  private:
    bool pdfOnly_;
};

// The print commands of the windows: prints `page` through `printer` and tells the user where
// the PDF file is, or why nothing could be printed.
void printPage(Ui& ui, Printer& printer, QWidget* parent, QWidget& page, const QString& pdfDir,
               const QString& pdfStem);

} // namespace kelva::ui
