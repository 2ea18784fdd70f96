#pragma once
// The core's messages as real modal message boxes: captioned with the
// application title, no icon, one button "确定".

#include <QPointer>
#include <QWidget>

#include "messenger.h"

namespace quendal::ui {

class MessageBoxMessenger : public Messenger {
public:
    explicit MessageBoxMessenger(QWidget* parent) : m_parent(parent) {}
    void ShowMessage(const std::string& text) override;

private:
    QPointer<QWidget> m_parent;
};

}  // namespace quendal::ui
