#pragma once
// The main window's fields as the calculator sees them. The window implements
// this; tests use an in-memory double. Texts are UTF-8.

#include <string>

namespace quendal {

// The four text boxes; their names are those of the window's controls.
enum class FieldId { txtVolt, txtF, txtC1, txtCurrent };

class FieldSet {
public:
    virtual ~FieldSet() = default;

    virtual std::string FieldText(FieldId field) const = 0;
    // The calculations write only txtC1 and txtCurrent.
    virtual void SetFieldText(FieldId field, const std::string& text) = 0;
    // The two-line report label lblT.
    virtual void SetReportText(const std::string& text) = 0;
};

}  // namespace quendal
