// The thin layer between the windows and the toolkit's blocking services: message boxes, file
// dialogs, the beep, handing a file to the desktop's program for it. The program uses QtUi;
// tests install a ScriptedUi whose answers are queued in advance, so that no test ever waits
// on a dialog.
#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace kelva::ui {

enum class Icon { None, Information, Warning, Stop, Question };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

// A file-type filter in the program's own notation: a description, a vertical bar and the
// pattern ("Database files(*.DBS)|*.DBS").
QString toQtFilter(const QString& filter);

class Ui {
public:
    virtual ~Ui() = default;

    // A modal message box; returns the button the user chose.
    virtual Answer message(QWidget* parent, const QString& title, const QString& text, Icon icon,
                           Buttons buttons = Buttons::Ok) = 0;

    // File dialogs. `dir` is the folder the dialog starts in; nullopt when the user cancels.
    virtual std::optional<QString> openFileName(QWidget* parent, const QString& caption, const QString& filter,
                                                const QString& dir) = 0;
    virtual std::optional<QString> saveFileName(QWidget* parent, const QString& caption, const QString& filter,
                                                const QString& dir) = 0;

    // The system beep.
    virtual void beep() = 0;

    // Hands a file to the desktop's program for its type; false when no program took it.
    virtual bool openExternally(const QString& path) = 0;
};

// The real services, through Qt.
class QtUi : public Ui {
public:
    Answer message(QWidget* parent, const QString& title, const QString& text, Icon icon,
                   Buttons buttons) override;
    std::optional<QString> openFileName(QWidget* parent, const QString& caption, const QString& filter,
                                        const QString& dir) override;
    std::optional<QString> saveFileName(QWidget* parent, const QString& caption, const QString& filter,
                                        const QString& dir) override;
    void beep() override;
    bool openExternally(const QString& path) override;
};

} // namespace kelva::ui
