#pragma once

#include <QPlainTextEdit>

#include <string>
#include <vector>

// The main window's view: the summary of the configuration in memory, one
// line a row, in a fixed-width font so that its columns line up.
class CConfigView : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit CConfigView(QWidget* parent = nullptr);

    // Shows these lines of the summary.
    void OnUpdate(const std::vector<std::string>& lines);
};
