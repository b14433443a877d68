// Comparing strings, finding text in them and replacing it.
#include <new>
#include <vector>

#include "cf/cf_string.h"
#include "cf/cf_string_object.h"

namespace qtrt {

namespace {

// Case folding for ASCII and Latin-1; other characters compare as they are.
char16_t fold(char16_t u) {
    if (u >= u'A' && u <= u'Z') {
        return char16_t(u + 32);
    }
    if (u >= 0xC0 && u <= 0xDE && u != 0xD7) {
        return char16_t(u + 32);
    }
    return u;
}

bool units_equal(char16_t a, char16_t b, bool fold_case) {
    return a == b || (fold_case && fold(a) == fold(b));
}

bool match_at(const std::u16string& text, size_t at, const std::u16string& needle,
              bool fold_case) {
    for (size_t k = 0; k < needle.size(); ++k) {
        if (!units_equal(text[at + k], needle[k], fold_case)) {
            return false;
        }
    }
    return true;
}

bool valid_range(const std::u16string& text, const CFRange& range) {
    return range.location >= 0 && range.length >= 0 &&
           range.location <= CFIndex(text.size()) - range.length;
}

// Positions of the non-overlapping occurrences of needle inside range, in
// the order the options search (backwards from the end with
// kCFCompareBackwards); with kCFCompareAnchored only one at the range's start
// (or end) counts. At most `limit` are found.
std::vector<size_t> find_all(const std::u16string& text, const std::u16string& needle,
                             CFRange range, CFOptionFlags options, size_t limit) {
    std::vector<size_t> found;
    if (needle.empty() || !valid_range(text, range) ||
        needle.size() > size_t(range.length)) {
        return found;
    }
    bool fold_case = (options & kCFCompareCaseInsensitive) != 0;
    bool backwards = (options & kCFCompareBackwards) != 0;
    bool anchored = (options & kCFCompareAnchored) != 0;
    size_t first = size_t(range.location);
    size_t last = size_t(range.location + range.length) - needle.size();
    if (anchored) {
        size_t at = backwards ? last : first;
        if (match_at(text, at, needle, fold_case)) {
            found.push_back(at);
        }
        return found;
    }
    if (!backwards) {
        for (size_t at = first; at <= last && found.size() < limit;) {
            if (match_at(text, at, needle, fold_case)) {
                found.push_back(at);
                at += needle.size();
            } else {
                ++at;
            }
        }
        return found;
    }
    size_t at = last + 1;
    while (at > first && found.size() < limit) {
        --at;
        if (match_at(text, at, needle, fold_case)) {
            found.push_back(at);
            if (at < first + needle.size()) {
                break;
            }
            at -= needle.size() - 1;
        }
    }
    return found;
}

}  // namespace

CFComparisonResult CFStringCompare(CFStringRef theString1, CFStringRef theString2,
                                   CFOptionFlags compareOptions) {
    cf_string* a = as_string(theString1);
    cf_string* b = as_string(theString2);
    if (a == nullptr || b == nullptr) {
        return a == b ? kCFCompareEqualTo
                      : (a == nullptr ? kCFCompareLessThan : kCFCompareGreaterThan);
    }
    bool fold_case = (compareOptions & kCFCompareCaseInsensitive) != 0;
    const std::u16string& x = a->text();
    const std::u16string& y = b->text();
    size_t n = x.size() < y.size() ? x.size() : y.size();
    for (size_t i = 0; i < n; ++i) {
        char16_t cx = fold_case ? fold(x[i]) : x[i];
        char16_t cy = fold_case ? fold(y[i]) : y[i];
        if (cx != cy) {
            return cx < cy ? kCFCompareLessThan : kCFCompareGreaterThan;
        }
    }
    if (x.size() == y.size()) {
        return kCFCompareEqualTo;
    }
    return x.size() < y.size() ? kCFCompareLessThan : kCFCompareGreaterThan;
}

Boolean CFStringHasPrefix(CFStringRef theString, CFStringRef prefix) {
    cf_string* s = as_string(theString);
    cf_string* p = as_string(prefix);
    if (s == nullptr || p == nullptr) {
        return false;
    }
    CFRange all{0, CFIndex(s->text().size())};
    return !find_all(s->text(), p->text(), all, kCFCompareAnchored, 1).empty();
}

Boolean CFStringFindWithOptions(CFStringRef theString, CFStringRef stringToFind,
                                CFRange rangeToSearch, CFOptionFlags searchOptions,
                                CFRange* result) {
    cf_string* s = as_string(theString);
    cf_string* needle = as_string(stringToFind);
    if (s == nullptr || needle == nullptr) {
        return false;
    }
    std::vector<size_t> found =
        find_all(s->text(), needle->text(), rangeToSearch, searchOptions, 1);
    if (found.empty()) {
        return false;
    }
    if (result != nullptr) {
        *result = CFRange{CFIndex(found[0]), CFIndex(needle->text().size())};
    }
    return true;
}

CFIndex CFStringFindAndReplace(CFMutableStringRef theString, CFStringRef stringToFind,
                               CFStringRef replacementString, CFRange rangeToSearch,
                               CFOptionFlags compareOptions) {
    cf_string* s = as_string(theString);
    cf_string* needle = as_string(stringToFind);
    cf_string* replacement = as_string(replacementString);
    if (s == nullptr || needle == nullptr || replacement == nullptr || !s->is_mutable()) {
        return 0;
    }
    try {
        std::vector<size_t> found = find_all(s->text(), needle->text(), rangeToSearch,
                                             compareOptions, size_t(-1));
        std::u16string text = s->text();
        size_t length = needle->text().size();
        // Replace from the end so that earlier positions stay valid.
        std::vector<size_t> positions(found);
        if ((compareOptions & kCFCompareBackwards) == 0) {
            positions.assign(found.rbegin(), found.rend());
        }
        for (size_t at : positions) {
            text.replace(at, length, replacement->text());
        }
        s->set_text(std::move(text));
        return CFIndex(found.size());
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

void CFStringFindWithOptions_fwd(Boolean* result, const CFStringRef* theString,
                                 const CFStringRef* stringToFind,
                                 const CFRange* rangeToSearch,
                                 const CFOptionFlags* searchOptions,
                                 CFRange* const* found) {
    if (result == nullptr) {
        return;
    }
    *result = false;
    if (theString == nullptr || stringToFind == nullptr || rangeToSearch == nullptr ||
        searchOptions == nullptr || found == nullptr) {
        return;
    }
    *result = CFStringFindWithOptions(*theString, *stringToFind, *rangeToSearch,
                                      *searchOptions, *found);
}

void CFStringFindAndReplace_fwd(CFIndex* result, const CFMutableStringRef* theString,
                                const CFStringRef* stringToFind,
                                const CFStringRef* replacementString,
                                const CFRange* rangeToSearch,
                                const CFOptionFlags* compareOptions) {
    if (result == nullptr) {
        return;
    }
    *result = 0;
    if (theString == nullptr || stringToFind == nullptr || replacementString == nullptr ||
        rangeToSearch == nullptr || compareOptions == nullptr) {
        return;
    }
    *result = CFStringFindAndReplace(*theString, *stringToFind, *replacementString,
                                     *rangeToSearch, *compareOptions);
}

}  // namespace qtrt
