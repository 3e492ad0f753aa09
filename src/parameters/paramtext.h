// Reading and showing the numbers of the run-parameter windows.
#pragma once

#include "files/numtext.h"

#include <QLineEdit>
#include <QString>

#include <string>

namespace kelva::params {

// The shortest general text of a value, with a zero before a leading decimal point, as the
// parameter boxes show it (0.65, 0.01, 10000, -0.5).
inline QString shortText(double v, int digits = text::kSingleDigits) {
    std::string s = text::bare(v, digits);
    if (s.rfind(".", 0) == 0)
        s.insert(0, "0");
    else if (s.rfind("-.", 0) == 0)
        s.insert(1, "0");
    return QString::fromStdString(s);
}

// The value of a box: its leading number, 0 when there is none.
inline double valueOf(const QLineEdit* box) {
    return text::leadingNumber(box->text().toStdString());
}

} // namespace kelva::params
