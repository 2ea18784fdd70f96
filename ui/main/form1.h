#pragma once
// The main window: four input boxes, the circuit picture, the two calculate
// buttons and the report label. It is the calculator's field set; the
// buttons hand it to the core, which reads and writes it.

#include <QMainWindow>
#include <QPointer>

#include "fieldset.h"
#include "frmabout.h"
#include "messageboxmessenger.h"

class QLabel;
class QLineEdit;
class QPushButton;

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
    QLineEdit* AddTextBox(const char* name, const QRect& geometry, const QString& text,
                          const QString& unit);
    QLabel* AddLabel(const char* name, const QRect& geometry, const QString& text,
                     const QFont& font, QLineEdit* buddy);
    QLineEdit* TextBox(FieldId field) const;
    void ShowAbout();

    QWidget* m_client;
    QLineEdit* m_txtVolt;
    QLineEdit* m_txtF;
    QLineEdit* m_txtC1;
    QLineEdit* m_txtCurrent;
    QLabel* m_lblT;
    MessageBoxMessenger m_messenger;
    QPointer<frmAbout> m_about;  // the About dialog while it is open
};

}  // namespace quendal::ui
