#pragma once
// The main window: four input boxes, the circuit picture, the two calculate
// buttons and the report label, built from the form description. It is the
// calculator's field set; the buttons hand it to the core, which reads and
// writes it.

#include <QMainWindow>
#include <QPointer>

#include "announcer.h"
#include "fieldset.h"
#include "formwidgets.h"
#include "frmabout.h"
#include "messageboxmessenger.h"

class QLabel;
class QLineEdit;

namespace quendal::ui {

class Form1 : public QMainWindow, public FieldSet {
    Q_OBJECT

public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    std::string FieldText(FieldId field) const override;
    void SetFieldText(FieldId field, const std::string& text) override;
    void SetReportText(const std::string& text) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLineEdit* TextBox(FieldId field) const;
    void ShowAbout();

    QWidget* m_client;
    FormWidgets m_controls;
    MessageBoxMessenger m_messenger;
    Announcer m_announcer;
    QPointer<frmAbout> m_about;  // the About dialog while it is open
};

}  // namespace quendal::ui
