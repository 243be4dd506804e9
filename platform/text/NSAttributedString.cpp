#include "platform/text/NSAttributedString.h"

#include "platform/foundation/NSException.h"

#include <algorithm>

namespace {

bool sameAttributes(const NSAttributes& a, const NSAttributes& b)
{
    return a == b || (a && b && a->isEqualToDictionary(b));
}

// Hands the pieces to the block in the order the options ask for, until it stops.
template <class Value, class Block>
void deliverPieces(std::vector<std::pair<NSRange, Value>>& pieces, NSAttributedStringEnumerationOptions options, const Block& block)
{
    if (options & NSAttributedStringEnumerationReverse)
        std::reverse(pieces.begin(), pieces.end());
    bool stop = false;
    for (const auto& [piece, value] : pieces) {
        block(value, piece, stop);
        if (stop)
            break;
    }
}

} // namespace

NSAttributes NSAttributedString::emptyAttributes()
{
    static const NSAttributes empty = NSDictionary::dictionary();
    return empty;
}

void NSAttributedString::init(const NSString& text)
{
    init(text, nullptr);
}

void NSAttributedString::init(const NSString& text, const NSAttributes& attributes)
{
    m_string = text.isNil() ? NSString::string() : text.copy();
    if (m_string.length())
        m_runs.push_back({ 0, m_string.length(), attributes ? attributes->copyDictionary() : emptyAttributes() });
}

void NSAttributedString::init(const std::shared_ptr<NSAttributedString>& other)
{
    if (!other)
        return;
    m_string = other->m_string;
    m_runs = other->m_runs;
}

void NSAttributedString::checkRange(NSRange range) const
{
    if (range.location > length() || range.length > length() - range.location)
        NSException::raise(NSRangeException, "range {%llu, %llu} out of bounds; string length %llu",
            static_cast<unsigned long long>(range.location), static_cast<unsigned long long>(range.length),
            static_cast<unsigned long long>(length()));
}

std::size_t NSAttributedString::runIndexAtIndex(NSUInteger index) const
{
    auto after = std::upper_bound(m_runs.begin(), m_runs.end(), index, [](NSUInteger value, const Run& run) { return value < run.start; });
    return static_cast<std::size_t>(after - m_runs.begin()) - 1;
}

void NSAttributedString::normalizeRuns()
{
    std::vector<Run> merged;
    merged.reserve(m_runs.size());
    NSUInteger start = 0;
    for (Run& run : m_runs) {
        if (!run.length)
            continue;
        if (!merged.empty() && sameAttributes(merged.back().attributes, run.attributes)) {
            merged.back().length += run.length;
        } else {
            run.start = start;
            merged.push_back(std::move(run));
        }
        start = merged.back().start + merged.back().length;
    }
    m_runs = std::move(merged);
}

NSAttributes NSAttributedString::attributesAtIndex(NSUInteger index, NSRange* effectiveRange) const
{
    if (index >= length())
        NSException::raise(NSRangeException, "index %llu out of bounds; string length %llu",
            static_cast<unsigned long long>(index), static_cast<unsigned long long>(length()));
    const Run& run = m_runs[runIndexAtIndex(index)];
    if (effectiveRange)
        *effectiveRange = NSMakeRange(run.start, run.length);
    return run.attributes;
}

NSAttributes NSAttributedString::attributesAtIndexLongest(NSUInteger index, NSRange* longestEffectiveRange, NSRange rangeLimit) const
{
    NSRange range;
    NSAttributes attributes = attributesAtIndex(index, &range);
    // Runs are merged, so the run is the longest range; only the limit cuts it.
    if (longestEffectiveRange)
        *longestEffectiveRange = NSIntersectionRange(range, rangeLimit);
    return attributes;
}

id NSAttributedString::attributeAtIndex(const NSString& name, NSUInteger index, NSRange* effectiveRange) const
{
    NSRange range;
    id value = attributesAtIndex(index, &range)->objectForKey(name);
    if (effectiveRange)
        *effectiveRange = range;
    return value;
}

id NSAttributedString::attributeAtIndexLongest(const NSString& name, NSUInteger index, NSRange* longestEffectiveRange, NSRange rangeLimit) const
{
    checkRange(rangeLimit);
    id value = attributeAtIndex(name, index);
    if (longestEffectiveRange) {
        std::size_t first = runIndexAtIndex(index);
        std::size_t last = first;
        while (first > 0 && ns::isEqual(m_runs[first - 1].attributes->objectForKey(name), value))
            --first;
        while (last + 1 < m_runs.size() && ns::isEqual(m_runs[last + 1].attributes->objectForKey(name), value))
            ++last;
        NSRange whole = NSMakeRange(m_runs[first].start, m_runs[last].start + m_runs[last].length - m_runs[first].start);
        *longestEffectiveRange = NSIntersectionRange(whole, rangeLimit);
    }
    return value;
}

void NSAttributedString::enumerateAttributesInRange(NSRange range, NSAttributedStringEnumerationOptions options,
    const std::function<void(const NSAttributes&, NSRange, bool&)>& block) const
{
    checkRange(range);
    std::vector<std::pair<NSRange, NSAttributes>> pieces;
    for (const Run& run : m_runs) {
        NSRange piece = NSIntersectionRange(NSMakeRange(run.start, run.length), range);
        if (piece.length)
            pieces.emplace_back(piece, run.attributes);
    }
    deliverPieces(pieces, options, block);
}

void NSAttributedString::enumerateAttribute(const NSString& name, NSRange range, NSAttributedStringEnumerationOptions options,
    const std::function<void(const id&, NSRange, bool&)>& block) const
{
    checkRange(range);
    std::vector<std::pair<NSRange, id>> pieces;
    for (const Run& run : m_runs) {
        NSRange piece = NSIntersectionRange(NSMakeRange(run.start, run.length), range);
        if (!piece.length)
            continue;
        id value = run.attributes->objectForKey(name);
        if (!pieces.empty() && ns::isEqual(pieces.back().second, value))
            pieces.back().first.length += piece.length;
        else
            pieces.emplace_back(piece, value);
    }
    deliverPieces(pieces, options, block);
}

std::shared_ptr<NSAttributedString> NSAttributedString::attributedSubstringFromRange(NSRange range) const
{
    checkRange(range);
    auto substring = create();
    substring->m_string = m_string.substringWithRange(range);
    for (const Run& run : m_runs) {
        NSRange piece = NSIntersectionRange(NSMakeRange(run.start, run.length), range);
        if (piece.length)
            substring->m_runs.push_back({ piece.location - range.location, piece.length, run.attributes });
    }
    return substring;
}

bool NSAttributedString::isEqualToAttributedString(const std::shared_ptr<NSAttributedString>& other) const
{
    if (!other || !m_string.isEqualToString(other->m_string) || m_runs.size() != other->m_runs.size())
        return false;
    for (std::size_t index = 0; index < m_runs.size(); ++index) {
        const Run& a = m_runs[index];
        const Run& b = other->m_runs[index];
        if (a.start != b.start || a.length != b.length || !sameAttributes(a.attributes, b.attributes))
            return false;
    }
    return true;
}

bool NSAttributedString::isEqual(const id& other) const
{
    return isEqualToAttributedString(ns::cast<NSAttributedString>(other));
}

NSString NSAttributedString::description() const
{
    std::string text;
    for (const Run& run : m_runs)
        text += m_string.substringWithRange(NSMakeRange(run.start, run.length)).UTF8String() + run.attributes->description().UTF8String();
    return NSString(text);
}

id NSAttributedString::copy() const
{
    return NSObject::copy();
}

id NSAttributedString::mutableCopy() const
{
    return mutableCopyAttributedString();
}

std::shared_ptr<NSMutableAttributedString> NSAttributedString::mutableCopyAttributedString() const
{
    return NSMutableAttributedString::create(std::const_pointer_cast<NSAttributedString>(self()));
}

id NSMutableAttributedString::copy() const
{
    return NSAttributedString::create(std::const_pointer_cast<NSAttributedString>(std::static_pointer_cast<const NSAttributedString>(self())));
}

std::size_t NSMutableAttributedString::splitAt(NSUInteger index)
{
    if (index >= length())
        return m_runs.size();
    std::size_t at = runIndexAtIndex(index);
    Run& run = m_runs[at];
    if (run.start == index)
        return at;
    Run tail { index, run.start + run.length - index, run.attributes };
    run.length = index - run.start;
    m_runs.insert(m_runs.begin() + static_cast<std::ptrdiff_t>(at) + 1, std::move(tail));
    return at + 1;
}

void NSMutableAttributedString::editAttributes(NSRange range, const std::function<NSAttributes(const NSAttributes&)>& edit)
{
    checkRange(range);
    if (!range.length)
        return;
    std::size_t first = splitAt(range.location);
    std::size_t end = splitAt(range.end());
    for (std::size_t index = first; index < end; ++index)
        m_runs[index].attributes = edit(m_runs[index].attributes);
    normalizeRuns();
}

void NSMutableAttributedString::setAttributes(const NSAttributes& attributes, NSRange range)
{
    NSAttributes stored = attributes ? attributes->copyDictionary() : emptyAttributes();
    editAttributes(range, [&](const NSAttributes&) { return stored; });
}

void NSMutableAttributedString::addAttribute(const NSString& name, const id& value, NSRange range)
{
    if (name.isNil() || !value)
        NSException::raise(NSInvalidArgumentException, "addAttribute: nil name or value");
    editAttributes(range, [&](const NSAttributes& old) {
        auto changed = old->mutableCopyDictionary();
        changed->setObject(value, name);
        return std::static_pointer_cast<NSDictionary>(changed->copy());
    });
}

void NSMutableAttributedString::addAttributes(const NSAttributes& attributes, NSRange range)
{
    if (!attributes)
        return checkRange(range);
    editAttributes(range, [&](const NSAttributes& old) {
        auto changed = old->mutableCopyDictionary();
        changed->addEntriesFromDictionary(attributes);
        return std::static_pointer_cast<NSDictionary>(changed->copy());
    });
}

void NSMutableAttributedString::removeAttribute(const NSString& name, NSRange range)
{
    editAttributes(range, [&](const NSAttributes& old) {
        if (!old->objectForKey(name))
            return old;
        auto changed = old->mutableCopyDictionary();
        changed->removeObjectForKey(name);
        return std::static_pointer_cast<NSDictionary>(changed->copy());
    });
}

void NSMutableAttributedString::replace(NSRange range, const NSString& text, const std::vector<Run>& runs)
{
    checkRange(range);
    std::vector<Run> result;
    result.reserve(m_runs.size() + runs.size() + 1);
    for (const Run& run : m_runs) {
        NSRange before = NSIntersectionRange(NSMakeRange(run.start, run.length), NSMakeRange(0, range.location));
        if (before.length)
            result.push_back({ 0, before.length, run.attributes });
    }
    result.insert(result.end(), runs.begin(), runs.end());
    for (const Run& run : m_runs) {
        NSRange after = NSIntersectionRange(NSMakeRange(run.start, run.length), NSMakeRange(range.end(), length() - range.end()));
        if (after.length)
            result.push_back({ 0, after.length, run.attributes });
    }
    m_string = m_string.stringByReplacingCharactersInRange(range, text.isNil() ? NSString::string() : text);
    m_runs = std::move(result);
    normalizeRuns();
}

void NSMutableAttributedString::replaceCharactersInRange(NSRange range, const NSString& text)
{
    checkRange(range);
    NSAttributes attributes = emptyAttributes();
    if (range.length)
        attributes = attributesAtIndex(range.location);
    else if (range.location > 0)
        attributes = attributesAtIndex(range.location - 1);
    else if (length() > 0)
        attributes = attributesAtIndex(0);
    std::vector<Run> runs;
    if (text.length())
        runs.push_back({ 0, text.length(), attributes });
    replace(range, text, runs);
}

void NSMutableAttributedString::replaceCharactersInRange(NSRange range, const std::shared_ptr<NSAttributedString>& text)
{
    if (!text)
        return replaceCharactersInRange(range, NSString::string());
    auto source = std::static_pointer_cast<NSMutableAttributedString>(text->mutableCopy());
    replace(range, source->m_string, source->m_runs);
}

void NSMutableAttributedString::deleteCharactersInRange(NSRange range)
{
    replace(range, NSString::string(), {});
}

void NSMutableAttributedString::insertAttributedString(const std::shared_ptr<NSAttributedString>& text, NSUInteger index)
{
    replaceCharactersInRange(NSMakeRange(index, 0), text);
}

void NSMutableAttributedString::appendAttributedString(const std::shared_ptr<NSAttributedString>& text)
{
    replaceCharactersInRange(NSMakeRange(length(), 0), text);
}

void NSMutableAttributedString::setAttributedString(const std::shared_ptr<NSAttributedString>& text)
{
    replaceCharactersInRange(NSMakeRange(0, length()), text);
}
