// Regular expressions through the platform's "VBScript.RegExp" object.
//
// An instance is created, used and destroyed on one thread: creation
// initialises COM on that thread and destruction undoes it. Texts are GBK;
// they reach the object as UTF-16, so the expression matches characters, not
// bytes. Match and submatch numbers are 1-based. Every failure gives the empty
// result (false, 0, empty text).
#pragma once

#include <string>
#include <string_view>

#include "app/automation.h"

namespace sorvane {

class PatternMatcher {
public:
    PatternMatcher();
    ~PatternMatcher();
    // A copy shares the expression object and the matches, keeps its own copy
    // of the subject, and makes its own COM initialisation of the thread.
    PatternMatcher(const PatternMatcher& other);
    PatternMatcher& operator=(const PatternMatcher& other);

    // Runs `pattern` over `subject` with a fresh expression object, replacing
    // the previous expression, matches and subject. Ignore case is the
    // opposite of caseSensitive. With quoteEscape every "#引号" in the pattern
    // stands for a double quote. True when a match collection was obtained
    // (also when it holds no match).
    bool Execute(std::string_view pattern, std::string_view subject,
                 bool caseSensitive = false, bool multiline = true,
                 bool global = true, bool quoteEscape = false);

    // The expression as the object holds it; empty before any Execute.
    std::string PatternText() const;

    // The stored subject with every match replaced ("$1" and the like refer
    // to groups), under the options of the last Execute.
    std::string Replace(std::string_view replacement);

    int MatchCount() const;

    // Match i; `position` (when given) receives its 0-based byte position in
    // the subject, or -2 when it cannot be located.
    std::string MatchText(int i, int* position = nullptr) const;

    // Group j of match i; `position` receives the 0-based byte position of the
    // first occurrence of the group's text at or after the match's start, or -2.
    std::string SubmatchText(int i, int j, int* position = nullptr) const;

    // Number of groups, read from the first match.
    int SubmatchCount() const;

private:
    int PositionInSubject(const AutomationObject& match, std::string_view text) const;

    ComThreadInit comInit_;  // first member: outlives the object references
    AutomationObject expression_;
    AutomationObject matches_;
    std::string subject_;
};

}  // namespace sorvane
