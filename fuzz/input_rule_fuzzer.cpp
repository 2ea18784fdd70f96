// Any bytes, valid UTF-8 or not, as the text of a field: the input rule gives
// either a value or exactly one message, and an accepted text reads as the C
// library's strtod reads it in the "C" locale.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fieldset.h"
#include "messenger.h"
#include "numericinput.h"
#include "oracle.h"
#include "texts.h"

namespace {

using quendal::FieldId;
using quendal::fuzz::Escaped;

constexpr std::string_view kBlanks[] = {" ", "\t", "\r", "\n", "\xC2\xA0", "\xE3\x80\x80"};

std::size_t BlankAtFront(std::string_view text) {
    for (auto blank : kBlanks) {
        if (text.starts_with(blank)) return blank.size();
    }
    return 0;
}

bool EndsWithBlank(std::string_view text) {
    for (auto blank : kBlanks) {
        if (text.ends_with(blank)) return true;
    }
    return false;
}

bool OnlyBlanks(std::string_view text) {
    while (const std::size_t n = BlankAtFront(text)) text.remove_prefix(n);
    return text.empty();
}

class OneField : public quendal::FieldSet {
public:
    explicit OneField(std::string_view text) : m_text(text) {}
    std::string FieldText(FieldId) const override { return m_text; }
    void SetFieldText(FieldId, const std::string&) override { ++writes; }
    void SetReportText(const std::string&) override { ++writes; }
    int writes = 0;

private:
    std::string m_text;
};

class Messages : public quendal::Messenger {
public:
    void ShowMessage(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};

// TrimBlanks removes blanks of the rule from both ends and nothing else.
void CheckTrim(std::string_view text, std::string_view trimmed) {
    FUZZ_CHECK(trimmed.data() >= text.data() &&
                   trimmed.data() + trimmed.size() <= text.data() + text.size(),
               "trimmed text is not inside [%s]", Escaped(text).c_str());
    const auto front = static_cast<std::size_t>(trimmed.data() - text.data());
    const std::size_t back = text.size() - front - trimmed.size();
    FUZZ_CHECK(OnlyBlanks(text.substr(0, front)) && OnlyBlanks(text.substr(text.size() - back)),
               "trimmed more than blanks from [%s]", Escaped(text).c_str());
    FUZZ_CHECK(BlankAtFront(trimmed) == 0 && !EndsWithBlank(trimmed), "blanks left around [%s]",
               Escaped(trimmed).c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string shown = Escaped(text);

    const std::string_view trimmed = quendal::TrimBlanks(text);
    CheckTrim(text, trimmed);

    // What strtod makes of the longest leading number of the trimmed text.
    const std::size_t prefix = quendal::fuzz::NumberPrefixLength(trimmed);
    double leading = 0.0;
    if (prefix > 0) {
        std::size_t consumed = 0;
        leading = quendal::fuzz::StrtodC(trimmed.substr(0, prefix), &consumed);
        FUZZ_CHECK(consumed == prefix, "strtod read %zu of %zu characters of [%s]", consumed,
                   prefix, shown.c_str());
    }
    const bool numeric = prefix > 0 && prefix == trimmed.size() && !std::isinf(leading);

    FUZZ_CHECK(quendal::IsNumericText(text) == numeric, "IsNumericText([%s]) should be %s",
               shown.c_str(), numeric ? "true" : "false");

    // Past the double range the leading value has no rule; elsewhere it is
    // strtod's, sign of zero included.
    const double parsed = quendal::ParseLeadingNumber(text);
    if (!std::isinf(leading)) {
        FUZZ_CHECK(quendal::fuzz::SameDouble(parsed, leading),
                   "ParseLeadingNumber([%s]) = %.17g, strtod gives %.17g", shown.c_str(), parsed,
                   leading);
    }

    OneField field(text);
    Messages messages;
    const double read =
        quendal::ReadNumericField(field, FieldId::txtVolt, quendal::texts::MsgVoltage, messages);
    FUZZ_CHECK(field.writes == 0, "reading [%s] wrote to the window", shown.c_str());
    if (numeric) {
        FUZZ_CHECK(messages.shown.empty(), "accepted [%s] but showed a message", shown.c_str());
        FUZZ_CHECK(quendal::fuzz::SameDouble(read, leading),
                   "read [%s] as %.17g, strtod gives %.17g", shown.c_str(), read, leading);
    } else {
        FUZZ_CHECK(messages.shown.size() == 1 && messages.shown[0] == quendal::texts::MsgVoltage,
                   "rejected [%s] with %zu messages instead of exactly its own", shown.c_str(),
                   messages.shown.size());
        FUZZ_CHECK(read == 0.0, "rejected [%s] but read %.17g", shown.c_str(), read);
    }
    return 0;
}
