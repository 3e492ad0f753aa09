// The services of Ui, answered from a script: tests queue the paths a file dialog "chooses"
// (or a cancel) and the button each message box "gets", and read back what was shown. Nothing
// blocks: an unscripted file dialog is a cancel, an unscripted message box gets its first
// button (OK or Yes).
#pragma once

#include "ui/Ui.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <optional>
#include <vector>

namespace kelva::ui {

class ScriptedUi : public Ui {
public:
    struct Shown {
        QString title;
        QString text;
        Icon icon = Icon::None;
        Buttons buttons = Buttons::Ok;
    };
    struct Asked {
        bool save = false;
        QString caption;
        QString filter;
        QString dir;
    };

    // Script.
    void chooseFile(const QString& path) { files_.push_back({path, false}); }
    void cancelFileDialog() { files_.push_back({QString(), true}); }
    void answerNextMessage(Answer a) { answers_.push_back(a); }
    void setExternalOpenWorks(bool works) { externalWorks_ = works; }

    // What happened.
    const std::vector<Shown>& messages() const { return messages_; }
    const std::vector<Asked>& fileDialogs() const { return asked_; }
    const QStringList& openedExternally() const { return opened_; }
    int beeps() const { return beeps_; }
    int pendingFiles() const { return static_cast<int>(files_.size()); }
    void clearLog() {
        messages_.clear();
        asked_.clear();
        opened_.clear();
        beeps_ = 0;
    }

    Answer message(QWidget* parent, const QString& title, const QString& text, Icon icon,
                   Buttons buttons) override;
    std::optional<QString> openFileName(QWidget* parent, const QString& caption, const QString& filter,
                                        const QString& dir) override;
    std::optional<QString> saveFileName(QWidget* parent, const QString& caption, const QString& filter,
                                        const QString& dir) override;
    void beep() override { ++beeps_; }
    bool openExternally(const QString& path) override {
        opened_.push_back(path);
        return externalWorks_;
    }

private:
    std::optional<QString> nextFile(bool save, const QString& caption, const QString& filter, const QString& dir);

    struct FileAnswer {
        QString path;
        bool cancel = false;
    };
    std::deque<FileAnswer> files_;
    std::deque<Answer> answers_;
    std::vector<Shown> messages_;
    std::vector<Asked> asked_;
    QStringList opened_;
    int beeps_ = 0;
    bool externalWorks_ = true;
};

} // namespace kelva::ui
