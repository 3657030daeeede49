#include "text/Fields.h"

namespace marlune {
namespace {

std::vector<std::string> SplitFrom(std::string_view text, std::string_view separator,
                                   std::size_t firstSearch) {
    std::vector<std::string> fields;
    if (separator.empty())
        return fields;
    // Counted first: a quote statement has some thirty fields, and growing the vector field
    // by field would move them all several times.
    std::size_t count = 1;
    for (std::size_t at = text.find(separator, firstSearch); at != std::string_view::npos;
         at = text.find(separator, at + separator.size()))
        ++count;
    fields.reserve(count);
    std::size_t start = 0;
    std::size_t found = text.find(separator, firstSearch);
    while (found != std::string_view::npos) {
        fields.emplace_back(text.substr(start, found - start));
        start = found + separator.size();
        found = text.find(separator, start);
    }
    fields.emplace_back(text.substr(start));
    return fields;
}

} // namespace

std::vector<std::string> SplitFields(std::string_view text, std::string_view separator) {
    return SplitFrom(text, separator, 0);
}

std::vector<std::string> Split(std::string_view text, std::string_view separator) {
    return SplitFrom(text, separator, 1);
}

void ForEachLine(std::string_view text, const std::function<void(std::string_view)>& line) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        std::string_view piece = text.substr(start, (end == std::string_view::npos ? next : end) - start);
        if (end != std::string_view::npos && !piece.empty() && piece.back() == '\r')
            piece.remove_suffix(1);
        line(piece);
        start = next;
    }
}

const std::string& FieldAt(const std::vector<std::string>& fields, std::size_t i) {
    static const std::string empty;
    return i < fields.size() ? fields[i] : empty;
}

std::string Right(std::string_view text, std::size_t n) {
    return std::string(text.size() > n ? text.substr(text.size() - n) : text);
}

} // namespace marlune
