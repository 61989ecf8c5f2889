#include "search/pattern_matcher.h"

#include <algorithm>

#include "app/codepage.h"
#include "app/text.h"

namespace sorvane {

PatternMatcher::PatternMatcher() = default;

PatternMatcher::~PatternMatcher() {
    // The references go before comInit_ undoes the thread's COM initialisation.
    matches_.Clear();
    expression_.Clear();
    subject_.clear();
}

PatternMatcher::PatternMatcher(const PatternMatcher& other)
    : comInit_(other.comInit_),
      expression_(other.expression_),
      matches_(other.matches_),
      subject_(other.subject_) {}

PatternMatcher& PatternMatcher::operator=(const PatternMatcher& other) {
    expression_ = other.expression_;
    matches_ = other.matches_;
    subject_ = other.subject_;
    return *this;
}

bool PatternMatcher::Execute(std::string_view pattern, std::string_view subject,
                             bool caseSensitive, bool multiline, bool global,
                             bool quoteEscape) {
    const bool ignoreCase = !caseSensitive;
    expression_.Clear();
    matches_.Clear();

    expression_ = AutomationObject::Create("VBScript.RegExp");
    expression_.SetProperty("IgnoreCase", ignoreCase);
    expression_.SetProperty("Multiline", multiline);
    // The platform object knows no such property, so this write fails and "."
    // keeps stopping at line feeds, which the page patterns rely on.
    expression_.SetProperty("Singleline", true);
    expression_.SetProperty("Global", global);
    // Patterns kept inside quoted texts write a double quote as "#引号".
    const std::string expression =
        quoteEscape ? TextReplaceAll(pattern, "#引号", "\"") : std::string(pattern);
    expression_.SetProperty("Pattern", expression);

    matches_ = expression_.Call("Execute", {subject});
    subject_.assign(subject);
    return !matches_.IsEmpty();
}

std::string PatternMatcher::PatternText() const { return expression_.PropertyText("Pattern"); }

std::string PatternMatcher::Replace(std::string_view replacement) {
    return expression_.CallText("Replace", {subject_, replacement});
}

int PatternMatcher::MatchCount() const {
    return static_cast<int>(matches_.PropertyNumber("Count"));
}

std::string PatternMatcher::MatchText(int i, int* position) const {
    AutomationObject match;
    if (i >= 1) match = matches_.Call("Item", {i - 1});
    std::string text = match.PropertyText("Value");
    if (position != nullptr) *position = PositionInSubject(match, text);
    return text;
}

std::string PatternMatcher::SubmatchText(int i, int j, int* position) const {
    AutomationObject match;
    std::string text;
    if (i >= 1 && j >= 1) {
        match = matches_.Call("Item", {i - 1});
        text = match.PropertyObject("SubMatches").CallText("Item", {j - 1});
    }
    if (position != nullptr) *position = PositionInSubject(match, text);
    return text;
}

int PatternMatcher::SubmatchCount() const {
    const AutomationObject first = matches_.Call("Item", {0});
    return static_cast<int>(first.PropertyObject("SubMatches").PropertyNumber("Count"));
}

// The object reports where a match starts in UTF-16 units; the subject is
// searched for `text` from the byte where that many characters end, so a
// double-byte character before the match does not shift the answer.
int PatternMatcher::PositionInSubject(const AutomationObject& match,
                                      std::string_view text) const {
    if (match.IsEmpty()) return -2;
    const double firstIndex = match.PropertyNumber("FirstIndex");
    const std::wstring wide = WideFromGbk(subject_);
    const auto units = static_cast<std::size_t>(
        std::clamp(firstIndex, 0.0, static_cast<double>(wide.size())));
    const std::size_t start = GbkFromWide(std::wstring_view(wide).substr(0, units)).size();
    if (text.empty()) return static_cast<int>(start);
    const int found = TextFind(subject_, text, static_cast<int>(start) + 1);
    return found < 0 ? -2 : found - 1;
}

}  // namespace sorvane
