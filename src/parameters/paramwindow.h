// What the run-parameter windows share: the closing pair of buttons, and the frame of a
// small window that is filled from the state when built and discarded when left.
#pragma once

#include <QDialog>

class QHBoxLayout;
class QLabel;
class QPushButton;

namespace kelva::params {

// Makes `w` a modeless parameter window with the given caption; Esc and the title bar's close
// leave it like "Quit without store".
void setUpWindow(QDialog* w, const char* objectName, const char* caption);

// The row "Save and Back to main menu" / "Quit without store": cmdMain is the default button
// (Enter stores), cmdQuit rejects the window. The save handler is connected by the caller.
QHBoxLayout* saveQuitRow(QDialog* w, QPushButton*& cmdMain, QPushButton*& cmdQuit);

// A label captioned `caption` that names `box`: its buddy (the access key and a click on the
// label reach the box) and the box's accessible name, the caption without its '&'.
QLabel* labelFor(QWidget* box, const char* name, const QString& caption, QWidget* parent);

} // namespace kelva::params
