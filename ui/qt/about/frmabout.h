#pragma once
// The About dialog: title, version, the description with its safety warnings,
// and a button that starts the system's System Information tool. Opened
// without an owner and without blocking the main window; deleted on close so
// that the next opening loads it afresh.

#include <QDialog>

#include "formwidgets.h"

namespace quendal::ui {

class frmAbout : public QDialog {
    Q_OBJECT

public:
    frmAbout();

protected:
    void changeEvent(QEvent* event) override;

private:
    void Load();
    void StartSystemInformation();

    FormWidgets m_controls;
};

}  // namespace quendal::ui
