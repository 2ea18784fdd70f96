#pragma once
// Modal message to the user: a box captioned with the application title, the
// text, no icon and one OK button. ShowMessage returns once it is dismissed.

#include <string>

namespace quendal {

class Messenger {
public:
    virtual ~Messenger() = default;
    virtual void ShowMessage(const std::string& text) = 0;
};

}  // namespace quendal
