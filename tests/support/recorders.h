#pragma once
// Test doubles of the window: fields held in memory, and a messenger that
// records every message in the order it was shown.

#include <map>
#include <string>
#include <vector>

#include "fieldset.h"
#include "messenger.h"

namespace quendal::testing {

class MemoryFields : public FieldSet {
public:
    MemoryFields() {
        m_texts[FieldId::txtVolt] = "220";
        m_texts[FieldId::txtF] = "50";
    }

    std::string FieldText(FieldId field) const override { return m_texts.at(field); }
    void SetFieldText(FieldId field, const std::string& text) override {
        m_texts[field] = text;
        writes.push_back(text);
    }
    void SetReportText(const std::string& text) override {
        report = text;
        writes.push_back(text);
    }

    MemoryFields& Set(FieldId field, std::string text) {
        m_texts[field] = std::move(text);
        return *this;
    }

    std::string report;
    std::vector<std::string> writes;  // every text written, in order

private:
    std::map<FieldId, std::string> m_texts{{FieldId::txtVolt, ""},
                                           {FieldId::txtF, ""},
                                           {FieldId::txtC1, ""},
                                           {FieldId::txtCurrent, ""}};
};

class RecordingMessenger : public Messenger {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

}  // namespace quendal::testing
