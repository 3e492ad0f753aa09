// The owner of the desktop program: the one ProgramState, the toolkit services and the windows.
//
// Windows are classes named after the window (frmMain, frmOut1, ...) with a constructor
// `explicit frmX(App& app, QWidget* parent = nullptr)`. They read the state into their widgets
// (showState()) and write what the user types back into it; where one window acts on another,
// it changes the state and asks the other window, through the App, to show the state again.
// A window that lives for the whole program is created on first use by window<W>() and only
// hidden afterwards, so it keeps its contents; a window that is built anew at each opening
// and discarded when closed is opened by openFresh<W>().
#pragma once

#include "state/state.h"
#include "ui/Printer.h"
#include "ui/Ui.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <map>
#include <memory>
#include <typeindex>

namespace kelva {

class App : public QObject {
    Q_OBJECT
public:
    // The App keeps `ui` for the whole program; the state starts as the program starts it.
    explicit App(std::unique_ptr<ui::Ui> ui, QObject* parent = nullptr);
    ~App() override;
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    ProgramState& st() { return *st_; }
    const ProgramState& st() const { return *st_; }
    ui::Ui& ui() { return *ui_; }
    // Printing: the default printer through Qt, unless another printer was installed (tests).
    ui::Printer& printer();
    void setPrinter(std::unique_ptr<ui::Printer> printer) { printer_ = std::move(printer); }

    // The window of type W, created on first use and kept for the whole program.
    template <class W> W& window() {
        auto& slot = windows_[std::type_index(typeid(W))];
        if (!slot) slot = new W(*this);
        return *static_cast<W*>(slot.data());
    }
    // The window of type W if it exists (kept or fresh), else nullptr.
    template <class W> W* existing() const {
        auto it = windows_.find(std::type_index(typeid(W)));
        return it == windows_.end() ? nullptr : static_cast<W*>(it->second.data());
    }
    // A new window of type W, replacing (and discarding) one that is still open; it is
    // discarded when it closes.
    template <class W> W& openFresh() {
        auto& slot = windows_[std::type_index(typeid(W))];
        if (slot) slot->deleteLater();
        W* w = new W(*this);
        w->setAttribute(Qt::WA_DeleteOnClose);
        slot = w;
        return *w;
    }

    // One window replaces another: `to` is shown and raised, then `from` hidden.
    static void handOver(QWidget* from, QWidget* to);

private:
    std::unique_ptr<ProgramState> st_;
    std::unique_ptr<ui::Ui> ui_;
    std::unique_ptr<ui::Printer> printer_;
    std::map<std::type_index, QPointer<QWidget>> windows_;
};

} // namespace kelva
